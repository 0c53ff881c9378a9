#pragma once

#include "platform/ModalForm.h"

namespace Ui {
class TForm3;
}

class TNumberEdit;

// The listen dialog: the port to listen on.
class TForm3 : public ModalForm
{
    Q_OBJECT

public:
    explicit TForm3(QWidget *owner = nullptr);
    ~TForm3() override;

    TNumberEdit *NumberEdit1() const;

    void FormCreate();

private:
    Ui::TForm3 *ui;
};

extern TForm3 *Form3;
