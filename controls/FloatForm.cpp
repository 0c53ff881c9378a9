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
    // The handler may dock the panel, which clears OnClose while it runs.
    if (const std::function<void()> handler = OnClose)
        handler();
    event->accept();
}
