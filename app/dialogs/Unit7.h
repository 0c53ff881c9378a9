#pragma once

#include "platform/ModalForm.h"

namespace Ui {
class TForm7;
}

class QRadioButton;

// The computer's level, asked before playing against it: 0 easy, 1 medium, 2 strong.
class TForm7 : public ModalForm
{
    Q_OBJECT

public:
    explicit TForm7(QWidget *owner = nullptr);
    ~TForm7() override;

    QRadioButton *RadioButton1() const;
    QRadioButton *RadioButton2() const;
    QRadioButton *RadioButton3() const;

    // The checked level; a level outside 0 to 2 checks medium.
    int Level() const;
    void SetLevel(int level);

    void FormCreate();

private:
    Ui::TForm7 *ui;
};

extern TForm7 *Form7;
