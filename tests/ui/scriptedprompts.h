// tests/ui/scriptedprompts.h — answers the program's questions from a script, and records them
#pragma once

#include "ui/prompts.h"

#include <QPrinter>
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
    std::deque<std::optional<QString>> openFiles;
    std::deque<std::optional<QString>> saveFiles;
    std::deque<std::optional<ExportChoice>> exports;
    std::deque<SaveAnswer> saveAnswers;
    // Where printing goes: a PDF file; empty cancels the print.
    QString printTo;

    std::vector<Question> questions;
    std::vector<Color> colourOpenedWith;
    std::vector<FontChoice> fontOpenedWith;
    std::vector<ExportChoice> exportOpenedWith;
    QStringList errors;
    QStringList openFolders; // where each open chooser opened
    QStringList saveQuestions; // the documents "Enregistrer les modifications ?" asked about
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

    std::optional<QString> chooseOpenFile(
        const QString &, const QString &, const QString &folder) override
    {
        openFolders << folder;
        return next(openFiles);
    }

    std::optional<QString> chooseSaveFile(
        const QString &, const QString &, const QString &) override
    {
        return next(saveFiles);
    }

    std::optional<ExportChoice> chooseExport(const ExportChoice &initial) override
    {
        exportOpenedWith.push_back(initial);
        return next(exports);
    }

    bool setUpPrinter(QPrinter &printer) override
    {
        if (printTo.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printTo);
        return true;
    }

    SaveAnswer askSaveChanges(const QString &documentName) override
    {
        saveQuestions << documentName;
        if (saveAnswers.empty()) {
            ++unexpected;
            return SaveAnswer::Cancel;
        }
        const SaveAnswer answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
    }

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
