#include "app/startup.h"

int main(int argc, char** argv) { return pagewick::RunApplication(argc, argv); }
