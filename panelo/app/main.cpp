// Lumetra: the keyboard's LCD text tool.
#include "panelo/app/panelo.h"

#include <QApplication>

int main(int argc, char** argv)
{
    Q_INIT_RESOURCE(lumetra_skins);
    QApplication app(argc, argv);
    return orvane::panelo::RunLumetra();
}
