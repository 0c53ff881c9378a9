#pragma once

#include "platform/ModalForm.h"

namespace Ui {
class TForm2;
}

class QLineEdit;
class TNumberEdit;

// The connect dialog: peer address and port.
class TForm2 : public ModalForm
{
    Q_OBJECT

public:
    explicit TForm2(QWidget *owner = nullptr);
    ~TForm2() override;

    QLineEdit *Edit1() const;
    TNumberEdit *NumberEdit1() const;

    void FormCreate();

private:
    Ui::TForm2 *ui;
};

extern TForm2 *Form2;
