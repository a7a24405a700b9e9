#pragma once

#include "qt/mainwindow.h"

// The real window, with its message boxes answered by a test's dialogs
// instead of the user.
class AnsweredWindow : public MainWindow
{
public:
    AnsweredWindow(const TrackList &list, UserDialogs &dialogs) : MainWindow(list), m_dialogs(dialogs) {}

    void showExclamation(const std::string &text) override { m_dialogs.showExclamation(text); }
    bool askYesNo(const std::string &text) override { return m_dialogs.askYesNo(text); }

private:
    UserDialogs &m_dialogs;
};
