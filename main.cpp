#include "app/Entry.h"

int main(int argc, char** argv)
{
    return RunConfigTool(argc, argv);
}
