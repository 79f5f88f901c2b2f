#include "MainApp.h"
#include "ProcessEnd.h"

int main(int argc, char** argv) {
    CMainApp app(argc, argv);
    app.InitInstance();
    EndProcess(0);
}
