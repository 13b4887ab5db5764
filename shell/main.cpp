#include "Startup.h"

int main()
{
    return Startup::EntryFunction();
}
