#include "app/Entry.h"
#include "platform/Application.h"

int main(int argc, char **argv)
{
    const bool preferred = TApplication::PreferX11();
    TApplication app(argc, argv);
    // The preference is this process's own: a browser started from the About box chooses its
    // platform for itself.
    if (preferred)
        qunsetenv("QT_QPA_PLATFORM");
    return DropstoneMain(app);
}
