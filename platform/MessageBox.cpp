#include "MessageBox.h"

#include "Application.h"

#include <QMessageBox>

int MessageBox(const QString &text, const QString &caption, int style)
{
    QMessageBox box;
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(caption.isNull() ? TApplication::instance()->Title() : caption);
    // Texts may carry what a peer sent, such as its name: never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setIcon(style & MB_ICONSTOP ? QMessageBox::Critical : QMessageBox::NoIcon);
    const bool yesNo = (style & 0xF) == MB_YESNO;
    if (yesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    const int answer = box.exec();
    if (!yesNo)
        return IDOK;
    return answer == QMessageBox::Yes ? IDYES : IDNO;
}
