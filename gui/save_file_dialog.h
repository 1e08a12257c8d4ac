// SaveFileDialog: Qt's save dialog, which adds a suffix and never writes over one file.
#pragma once

#include <QFileDialog>
#include <QString>

namespace ostrel {

class Desktop;

// A name typed without a suffix gets the default suffix before anything is checked, so the
// question about writing over a file asks about the file really written. Choosing the kept file
// (the machine's settings file) is refused with a message, and the dialog stays open.
class SaveFileDialog : public QFileDialog {
    Q_OBJECT

public:
    SaveFileDialog(Desktop& desktop, QWidget* parent, const QString& caption, const QString& filter,
                   const QString& default_suffix, const QString& kept_file);

    // The message shown when the kept file is chosen.
    static QString refusal(const QString& kept_file);

public Q_SLOTS:
    void accept() override;

private:
    Desktop& desktop_;
    QString kept_file_;
};

}  // namespace ostrel
