#pragma once
// Control ids of the General Options dialog and its pages.

constexpr int IDC_CHANGE_TEMPLATE = 1048;
constexpr int IDC_AUTO_NAMING = 1049;
constexpr int IDC_OVERWRITE = 1050;
constexpr int IDC_TEMPLATE = 1052;
constexpr int IDC_PREVIEW = 1053;
constexpr int IDC_AUTO_UPDATE = 1054;
constexpr int IDC_SHOW_TIPS = 1055;
