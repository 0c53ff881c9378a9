#include "Entry.h"

#include "Unit1.h"
#include "Unit4.h"
#include "dialogs/Unit2.h"
#include "dialogs/Unit3.h"
#include "dialogs/Unit5.h"
#include "dialogs/Unit6.h"

#include "platform/Application.h"

#include <QIcon>

#include <memory>

int DropstoneMain(TApplication &app)
{
    // The installed theme icon, sharp at every size; the bundled image where none is installed.
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("io.github.dropstone.Dropstone"),
                                                 QIcon(QStringLiteral(":/dropstone.xpm"))));
    // The main window's start-up, the name question included, runs to its end here.
    auto form1 = std::make_unique<TForm1>();
    // Start-up instances of the dialogs, owned by the program and never shown.
    auto form2 = std::make_unique<TForm2>();
    auto form3 = std::make_unique<TForm3>();
    auto form4 = std::make_unique<TForm4>();
    auto form5 = std::make_unique<TForm5>();
    auto form6 = std::make_unique<TForm6>();
    form1->show();
    return app.Run();
}
