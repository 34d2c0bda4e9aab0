#include "app/startup.h"

int main(int argc, char **argv)
{
    return TStartUp::Main(argc, argv);
}
