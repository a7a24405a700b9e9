#pragma once

#include "player/userdialogs.h"

class QWidget;

// The program's message boxes, titled "Tunelark".
class QtDialogs : public UserDialogs
{
public:
    explicit QtDialogs(QWidget *parent) : m_parent(parent) {}

    void showExclamation(const std::string &text) override;
    bool askYesNo(const std::string &text) override;

private:
    QWidget *m_parent;
};
