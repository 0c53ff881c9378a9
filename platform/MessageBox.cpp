#include "MessageBox.h"

#include "Application.h"

#include <QKeyEvent>
#include <QMessageBox>

namespace {

// A box with Yes and No only must be answered: Escape and the close box do nothing.
class AnswerRequired : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            return true;
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

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
    AnswerRequired answerRequired;
    if (yesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        box.installEventFilter(&answerRequired);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    const int answer = box.exec();
    if (!yesNo)
        return IDOK;
    return answer == QMessageBox::Yes ? IDYES : IDNO;
}
