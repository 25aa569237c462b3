#pragma once
// The status font, shared by the whole program: "verdana", 11 points, bold. Where Verdana is
// not installed, a sans-serif family of the same build stands in for it.

#include <QFont>

const QFont& StatusFont();
