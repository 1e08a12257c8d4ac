// What the windows ask of the desktop: modal boxes, file choice, links, ending the program.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QUrl>
#include <memory>

class QTranslator;
class QWidget;

namespace ostrel {

// The caption of the program's plain message boxes and of its main window.
QString application_title();

// Qt's own texts (file dialogs, standard buttons) in Russian like the rest of the window: Qt's
// Russian translations loaded and installed. Null when they can't be found.
std::unique_ptr<QTranslator> install_qt_translations();

// What the windows ask of the desktop: modal boxes, file choice, links, ending the program.
// Tests put a recording desktop here so that nothing blocks on a modal box or opens a browser.
class Desktop {
public:
    virtual ~Desktop() = default;
    // A modal box with one OK button; returns when it is closed.
    virtual void message_box(QWidget* parent, const QString& caption, const QString& text,
                             QMessageBox::Icon icon) = 0;
    // A modal box with "ДА" and "НЕТ"; true only for "ДА" (closing it or Esc is "НЕТ").
    virtual bool question_box(QWidget* parent, const QString& caption, const QString& text,
                              QMessageBox::Icon icon) = 0;
    // The chosen file, or an empty string when the operator cancelled; the dialog opens in folder
    // (empty: the working folder).
    virtual QString open_file_name(QWidget* parent, const QString& caption, const QString& filter,
                                   const QString& folder) = 0;
    // The file to write, or an empty string when the operator cancelled. A name typed without a
    // suffix gets default_suffix; kept_file is never offered for writing over.
    virtual QString save_file_name(QWidget* parent, const QString& caption, const QString& filter,
                                   const QString& default_suffix, const QString& kept_file) = 0;
    // Hands the address to the desktop's default handler; the outcome is not looked at.
    virtual void open_url(const QUrl& url) = 0;
    // Ends the program with the exit status once its message loop runs.
    virtual void end_program(int exit_status) = 0;
};

class QtDesktop final : public Desktop {
public:
    void message_box(QWidget* parent, const QString& caption, const QString& text,
                     QMessageBox::Icon icon) override;
    bool question_box(QWidget* parent, const QString& caption, const QString& text,
                      QMessageBox::Icon icon) override;
    QString open_file_name(QWidget* parent, const QString& caption, const QString& filter,
                           const QString& folder) override;
    QString save_file_name(QWidget* parent, const QString& caption, const QString& filter,
                           const QString& default_suffix, const QString& kept_file) override;
    void open_url(const QUrl& url) override;
    void end_program(int exit_status) override;
};

}  // namespace ostrel
