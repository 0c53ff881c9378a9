#include "Unit6.h"

#include "ui_Unit6.h"

#include "platform/Application.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

TForm6 *Form6 = nullptr;

namespace {

const char ProjectAddress[] = "https://dropstone.example/";
const char TranslationAddress[] = "https://dropstone.example/de/";

} // namespace

TForm6::TForm6(QWidget *owner) : ModalForm(owner), ui(new Ui::TForm6)
{
    Form6 = this;
    ui->setupUi(this);
    ui->Image1->setPixmap(QPixmap(QStringLiteral(":/dropstone.xpm")));
    setModalResult(ui->Button1, mrOk);
    ui->Label4->installEventFilter(this);
    ui->Label6->installEventFilter(this);
    FormCreate();
}

TForm6::~TForm6()
{
    delete ui;
    if (Form6 == this)
        Form6 = nullptr;
}

QLabel *TForm6::Label4() const
{
    return ui->Label4;
}
QLabel *TForm6::Label6() const
{
    return ui->Label6;
}

void TForm6::FormCreate()
{
    const TApplication *app = TApplication::instance();
    setWindowTitle(QStringLiteral("Über Dropstone"));
    ui->Button1->setText(QStringLiteral("Okay"));
    ui->Label1->setText(QStringLiteral("%1 (%2)").arg(QStringLiteral("Dropstone"),
                                                      QStringLiteral("Deutsche Version")));
    ui->Label2->setText(QStringLiteral("Freie Software"));
    ui->Label3->setText(QStringLiteral("Coded by Team Dropstone"));
    ui->Label4->setText(QString::fromLatin1(ProjectAddress));
    setLinkStyle(ui->Label4);
    ui->Label4->setCursor(app->Cursor(crHand));
    ui->Label5->setText(QStringLiteral("Translated by Team Dropstone"));
    ui->Label6->setText(QString::fromLatin1(TranslationAddress));
    setLinkStyle(ui->Label6);
    ui->Label6->setCursor(app->Cursor(crHand));
}

void TForm6::setLinkStyle(QLabel *label)
{
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    label->setPalette(palette);
}

// The label shows the address it opens; whether the shell managed to open it is not asked.
void TForm6::Label4Click()
{
    QDesktopServices::openUrl(QUrl(ui->Label4->text()));
}

void TForm6::Label6Click()
{
    QDesktopServices::openUrl(QUrl(ui->Label6->text()));
}

bool TForm6::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto mouse = static_cast<QMouseEvent *>(event);
        auto label = static_cast<QWidget *>(watched);
        if (mouse->button() == Qt::LeftButton &&
            label->rect().contains(mouse->position().toPoint())) {
            if (watched == ui->Label4)
                Label4Click();
            else if (watched == ui->Label6)
                Label6Click();
        }
    }
    return ModalForm::eventFilter(watched, event);
}
