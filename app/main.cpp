// kestrix: the desktop barcode scanner.
#include "app/app_main.h"

int main(int argc, char** argv) {
    return KestrixMain(argc, argv);
}
