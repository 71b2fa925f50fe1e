#include "app/run.h"

int main(int argc, char** argv) { return vork::RunTool(argc, argv); }
