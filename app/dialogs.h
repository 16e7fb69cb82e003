#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

class QDialog;
class QWidget;

namespace arrange5 {

// Every modal question the window asks and every outside program it starts goes through
// here, so tests can answer without a modal loop and without launching anything.
class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // OK / Cancel with the question icon; true for OK.
    virtual bool confirm(QWidget* parent, const QString& title, const QString& text) = 0;
    // A question with the given buttons, the question icon, `defaultButton` taking Enter and
    // `escapeButton` taking Escape and the close box; returns the index of the button chosen.
    virtual int choose(QWidget* parent, const QString& title, const QString& text,
                       const QStringList& buttons, int defaultButton, int escapeButton) = 0;
    // The same question with a check box under it ("以后不再询问"); `checked` holds its state
    // when the box closes.
    virtual int chooseWithCheckBox(QWidget* parent, const QString& title, const QString& text,
                                   const QStringList& buttons, int defaultButton, int escapeButton,
                                   const QString& checkBox, bool& checked) {
        (void)checkBox;
        (void)checked;
        return choose(parent, title, text, buttons, defaultButton, escapeButton);
    }
    // A dialog of the window's own (a settings dialog); true when it was accepted.
    virtual bool runDialog(QDialog& dialog);
    // A message with an OK button and the warning icon.
    virtual void inform(QWidget* parent, const QString& title, const QString& text) = 0;
    // A message with an OK button and no icon (the prompt boxes' "输入有误").
    virtual void notice(QWidget* parent, const QString& title, const QString& text) {
        inform(parent, title, text);
    }
    // A message with a details area that can be scrolled (a long list of lines).
    virtual void showDetails(QWidget* parent, const QString& title, const QString& text,
                             const QString& details) {
        inform(parent, title, text + "\n" + details);
    }
    // An input box; nullopt when cancelled.
    virtual std::optional<QString> input(QWidget* parent, const QString& title,
                                         const QString& prompt, const QString& defaultText) = 0;
    // The open dialog; an empty string when cancelled.
    virtual QString openFile(QWidget* parent, const QString& folder, const QString& filter) = 0;
    // Opens a file or address with the desktop's default program; false when that failed.
    virtual bool openUrl(const QUrl& url) = 0;
};

// The real dialogs of the desktop.
class DesktopDialogs : public Dialogs {
  public:
    bool confirm(QWidget* parent, const QString& title, const QString& text) override;
    int choose(QWidget* parent, const QString& title, const QString& text,
               const QStringList& buttons, int defaultButton, int escapeButton) override;
    int chooseWithCheckBox(QWidget* parent, const QString& title, const QString& text,
                           const QStringList& buttons, int defaultButton, int escapeButton,
                           const QString& checkBox, bool& checked) override;
    void inform(QWidget* parent, const QString& title, const QString& text) override;
    void notice(QWidget* parent, const QString& title, const QString& text) override;
    void showDetails(QWidget* parent, const QString& title, const QString& text,
                     const QString& details) override;
    std::optional<QString> input(QWidget* parent, const QString& title, const QString& prompt,
                                 const QString& defaultText) override;
    QString openFile(QWidget* parent, const QString& folder, const QString& filter) override;
    bool openUrl(const QUrl& url) override;
};

}  // namespace arrange5
