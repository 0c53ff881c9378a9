#pragma once

#include "platform/ModalForm.h"

namespace Ui {
class TForm5;
}

class QLabel;

// The play-again question put to the loser; the caller sets the message.
class TForm5 : public ModalForm
{
    Q_OBJECT

public:
    explicit TForm5(QWidget *owner = nullptr);
    ~TForm5() override;

    QLabel *Label1() const;

    void FormCreate();

private:
    Ui::TForm5 *ui;
};

extern TForm5 *Form5;
