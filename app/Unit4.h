#pragma once

#include "platform/ModalForm.h"

namespace Ui {
class TForm4;
}

class QLineEdit;

// The player-name dialog of start-up.
class TForm4 : public ModalForm
{
    Q_OBJECT

public:
    explicit TForm4(QWidget *owner = nullptr);
    ~TForm4() override;

    QLineEdit *Edit1() const;

    void FormCreate();

private:
    Ui::TForm4 *ui;
};

extern TForm4 *Form4;
