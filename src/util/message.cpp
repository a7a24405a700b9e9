#include "util/message.h"

#include <iostream>

void printMessage(std::string_view message)
{
    printMessage(std::cerr, message);
}

void printMessage(std::ostream &err, std::string_view message)
{
    err << "tunelark: " << message << std::endl;
}
