#pragma once

#include <QString>

// Windows message box style flags and result codes; the callers keep their numbers.
constexpr int MB_OK = 0;
constexpr int MB_YESNO = 4;
constexpr int MB_ICONSTOP = 16;

constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// An application-modal box. The caption is the application title when none is given.
int MessageBox(const QString &text, const QString &caption = QString(), int style = MB_OK);
