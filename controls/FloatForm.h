#pragma once

#include <QWidget>

#include <functional>

// The window a floating panel is moved into: a sizeable tool window with a small caption that
// stays on top. Closing it only hides it. The panel destroys it when docking; the parent given
// here, the panel's host, takes it along (with the panel inside) when the host goes first.
class TFloatForm : public QWidget
{
    Q_OBJECT

public:
    explicit TFloatForm(QWidget *parent);
    ~TFloatForm() override;

    // The close handler: runs whenever the window is closed, before it hides.
    std::function<void()> OnClose;
    // Runs when the window is destroyed, before its children are.
    std::function<void()> OnDestroy;

protected:
    void closeEvent(QCloseEvent *event) override;
};
