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

    // For an end nobody attends (a signal): the box on screen is closed as
    // its Escape key would (No to the question), later notices only go to
    // standard error and questions are answered No without being asked.
    void stopAsking();

private:
    QWidget *m_parent;
    bool m_stopped = false;
};
