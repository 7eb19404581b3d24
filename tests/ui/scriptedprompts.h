// tests/ui/scriptedprompts.h — answers the program's questions from a script, and records them
#pragma once

#include "ui/prompts.h"

#include <QStringList>

#include <deque>
#include <vector>

namespace velmora::test {

class ScriptedPrompts final : public Prompts {
public:
    struct Question {
        QString title;
        QString prompt;
        QString defaultText;
    };

    // Answers, used in order; nullopt is a cancel. A question with no answer left is cancelled
    // and counted as unexpected.
    std::deque<std::optional<QString>> inputs;
    std::deque<std::optional<Color>> colours;
    std::deque<std::optional<FontChoice>> fonts;

    std::vector<Question> questions;
    std::vector<Color> colourOpenedWith;
    std::vector<FontChoice> fontOpenedWith;
    QStringList errors;
    int unexpected = 0;

    std::optional<QString> inputBox(
        const QString &title, const QString &prompt, const QString &defaultText) override
    {
        questions.push_back({ title, prompt, defaultText });
        return next(inputs);
    }

    std::optional<Color> chooseColor(Color initial) override
    {
        colourOpenedWith.push_back(initial);
        return next(colours);
    }

    std::optional<FontChoice> chooseFont(const FontChoice &initial) override
    {
        fontOpenedWith.push_back(initial);
        return next(fonts);
    }

    void reportError(const QString &text) override { errors << text; }

private:
    template <typename T> std::optional<T> next(std::deque<std::optional<T>> &answers)
    {
        if (answers.empty()) {
            ++unexpected;
            return std::nullopt;
        }
        const bool confirmed = answers.front().has_value();
        const T value = confirmed ? *answers.front() : T {};
        answers.pop_front();
        return confirmed ? std::optional<T>(value) : std::nullopt;
    }
};

} // namespace velmora::test
