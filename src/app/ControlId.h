#pragma once
// Dialog controls keep the numeric ids the pages are known by: a control's object name is its
// id in decimal, so pages, tooltips and tests find a control by the number.

#include <QString>
#include <QWidget>

inline void SetControlId(QWidget* control, int id) { control->setObjectName(QString::number(id)); }

// The child of `root` with that id, or null.
template <typename Control = QWidget>
Control* FindControl(const QWidget* root, int id) {
  return root == nullptr ? nullptr : root->findChild<Control*>(QString::number(id));
}
