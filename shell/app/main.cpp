// QX410-Orvane: the keyboard's configuration program.
#include "shell/app/CVelkorApp.h"

int main(int argc, char** argv)
{
    return orvane::shell::CVelkorApp::run(argc, argv);
}
