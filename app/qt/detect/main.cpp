#include "detectrun.h"

int main(int argc, char *argv[])
{
    return tunedeck::runDetectCommand(argc, argv);
}
