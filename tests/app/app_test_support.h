#pragma once

#include <QDialog>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "acquire/replace_history.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/search_side.h"
#include "support/test_support.h"

namespace arrange5::test {

// Answers the window's questions from queues and records what it said.
class FakeDialogs : public Dialogs {
  public:
    std::deque<bool> confirmations;
    std::deque<int> choices;      // button indexes; when none are left, the Escape button
    std::deque<bool> checkBoxes;  // the check box under a question, ticked or not
    // Fill in a dialog of the window's own; true accepts it. None left: the dialog is cancelled.
    std::deque<std::function<bool(QDialog&)>> dialogAnswers;
    std::deque<QString> inputs;  // kCancel for the Cancel button
    static inline const QString kCancel = QStringLiteral("<cancel>");
    std::deque<QString> files;
    bool openSucceeds = true;

    QStringList asked;     // titles of confirmations
    QStringList messages;  // "title: text" of every message
    QStringList prompts;   // "title|prompt|default" of every input box
    QStringList fileFolders;
    QStringList filters;
    std::vector<QUrl> opened;

    bool confirm(QWidget*, const QString& title, const QString& text) override {
        asked << title + ": " + text;
        if (confirmations.empty()) return false;
        const bool answer = confirmations.front();
        confirmations.pop_front();
        return answer;
    }
    int choose(QWidget*, const QString& title, const QString& text, const QStringList& buttons, int,
               int escapeButton) override {
        asked << title + ": " + text + " [" + buttons.join("|") + "]";
        if (choices.empty()) return escapeButton;
        const int answer = choices.front();
        choices.pop_front();
        return answer;
    }
    int chooseWithCheckBox(QWidget* parent, const QString& title, const QString& text,
                           const QStringList& buttons, int defaultButton, int escapeButton,
                           const QString& checkBox, bool& checked) override {
        if (!checkBoxes.empty()) {
            checked = checkBoxes.front();
            checkBoxes.pop_front();
        }
        const int answer = choose(parent, title, text, buttons, defaultButton, escapeButton);
        asked.back() += " (" + checkBox + ")";
        return answer;
    }
    bool runDialog(QDialog& dialog) override {
        if (dialogAnswers.empty()) return false;
        const auto answer = dialogAnswers.front();
        dialogAnswers.pop_front();
        return answer(dialog);
    }
    void inform(QWidget*, const QString& title, const QString& text) override {
        messages << title + ": " + text;
    }
    std::optional<QString> input(QWidget*, const QString& title, const QString& prompt,
                                 const QString& defaultText) override {
        prompts << title + "|" + prompt + "|" + defaultText;
        if (inputs.empty()) return std::nullopt;
        const QString answer = inputs.front();
        inputs.pop_front();
        if (answer == kCancel) return std::nullopt;
        return answer;
    }
    QString openFile(QWidget*, const QString& folder, const QString& filter) override {
        fileFolders << folder;
        filters << filter;
        if (files.empty()) return {};
        QString file = files.front();
        files.pop_front();
        return file;
    }
    bool openUrl(const QUrl& url) override {
        opened.push_back(url);
        return openSucceeds;
    }
};

// A data folder, a settings folder and the window on them; the window can be restarted on
// the same folders.
class WindowHarness {
  public:
    WindowHarness() {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(settingsDir.path().string()));
    }

    std::filesystem::path dataFolder() const { return dataDir.path(); }
    // Korvath.ini as QSettings (IniFormat, user scope) writes it for this harness.
    std::filesystem::path settingsFile() const { return settingsDir / "Korvath.ini"; }

    MainWindow& start(bool withBundledHistory = false) {
        window.reset();
        AppContext context;
        context.dataFolder = dataDir.path();
        if (withBundledHistory)
            context.bundledHistory = std::filesystem::path(ARRANGE5_REAL_HISTORY);
        context.docFolders = {docsDir.path()};
        context.dialogs = &dialogs;
        window = std::make_unique<MainWindow>(context);
        return *window;
    }

    // The window with a results site set, on that source (or `source`), reading through
    // `fetch`; with `updateOnStart` it checks for new draws as it starts.
    MainWindow& startOnResultsPages(PageFetcher fetch, const QString& source = "pages",
                                    bool updateOnStart = false) {
        {
            QSettings ini(QSettings::IniFormat, QSettings::UserScope, "Korvath");
            ini.setValue("IniSetting/txtUpdateHost", "http://127.0.0.1:9");
            ini.setValue("IniSetting/txtUpdateSource", source);
            ini.setValue("IniSetting/bolUpdateOnStart", updateOnStart ? "True" : "False");
        }
        window.reset();
        AppContext context;
        context.dataFolder = dataDir.path();
        context.dialogs = &dialogs;
        context.fetcher = std::move(fetch);
        window = std::make_unique<MainWindow>(context);
        return *window;
    }

    // `draws` from `firstIssue` on become the data folder's history.
    void seedHistory(int firstIssue, const std::vector<std::string>& draws) {
        seedFolder(dataDir.path(), entriesFrom(firstIssue, draws));
    }

    QString settingsValue(const char* key) const {
        QSettings s(QSettings::IniFormat, QSettings::UserScope, "Korvath");
        return s.value(QStringLiteral("IniSetting/") + key).toString();
    }

    TempDir settingsDir;
    TempDir dataDir;
    TempDir docsDir;
    FakeDialogs dialogs;
    std::unique_ptr<MainWindow> window;
};

template <typename T>
T* child(MainWindow& window, const QString& name) {
    T* found = window.findChild<T*>(name);
    if (!found) qFatal("no control %s", qPrintable(name));
    return found;
}

inline std::vector<std::string> drawsOfCount(int count) {
    return patternDraws(static_cast<std::size_t>(count));
}

}  // namespace arrange5::test
