#pragma once

#include <QString>

namespace lirondo {

// The program's modal message boxes. The real port shows a QMessageBox; tests
// script the answers and read back what was asked.
class MessageBoxPort
{
public:
    enum class Buttons
    {
        Ok,
        YesNo
    };
    enum class Icon
    {
        None,
        Information,
        Warning,
        Critical,
        Question
    };
    enum class Answer
    {
        Ok,
        Yes,
        No
    };

    struct Request
    {
        QString text;
        QString title; // empty: the application title
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
        Answer defaultButton = Answer::Ok;
    };

    virtual ~MessageBoxPort() = default;
    virtual Answer show(const Request& request) = 0;

    Answer info(const QString& text, const QString& title = QString())
    {
        return show({text, title, Buttons::Ok, Icon::None, Answer::Ok});
    }
};

} // namespace lirondo
