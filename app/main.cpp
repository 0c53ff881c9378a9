#include "app/Entry.h"
#include "platform/Application.h"

int main(int argc, char **argv)
{
    TApplication::PreferX11();
    TApplication app(argc, argv);
    return DropstoneMain(app);
}
