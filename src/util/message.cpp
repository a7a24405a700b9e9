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

void printMessage(const Error &error, std::string_view context)
{
    printMessage(std::cerr, error, context);
}

void printMessage(std::ostream &err, const Error &error, std::string_view context)
{
    const std::string &told = error.detail.empty() ? error.text : error.detail;
    printMessage(err, context.empty() ? told : std::string(context) + ": " + told);
}

void printDetail(const Error &error)
{
    if (!error.detail.empty())
        printMessage(error.detail);
}
