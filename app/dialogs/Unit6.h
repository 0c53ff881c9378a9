#pragma once

#include "platform/ModalForm.h"

namespace Ui {
class TForm6;
}

class QLabel;

// The about dialog, with two links that open in the browser.
class TForm6 : public ModalForm
{
    Q_OBJECT

public:
    explicit TForm6(QWidget *owner = nullptr);
    ~TForm6() override;

    QLabel *Label4() const;
    QLabel *Label6() const;

    void FormCreate();
    void Label4Click();
    void Label6Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setLinkStyle(QLabel *label);

    Ui::TForm6 *ui;
};

extern TForm6 *Form6;
