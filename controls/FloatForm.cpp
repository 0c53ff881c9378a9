#include "FloatForm.h"

#include <QCloseEvent>

TFloatForm::TFloatForm(QWidget *parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {}

TFloatForm::~TFloatForm()
{
    if (OnDestroy)
        OnDestroy();
}

void TFloatForm::closeEvent(QCloseEvent *event)
{
    if (OnClose)
        OnClose();
    event->accept();
}
