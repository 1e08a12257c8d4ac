// SaveFileDialog: the default suffix, and the kept file refused before Qt asks about writing over.
#include "gui/save_file_dialog.h"

#include "gui/desktop.h"

#include <QFileInfo>

namespace ostrel {

namespace {

bool same_file(const QString& a, const QString& b) {
    const QFileInfo first(a);
    const QFileInfo second(b);
    if (first.absoluteFilePath() == second.absoluteFilePath()) {
        return true;
    }
    // A link to the file, or the same folder reached another way.
    return first.exists() && second.exists() &&
           first.canonicalFilePath() == second.canonicalFilePath();
}

}  // namespace

SaveFileDialog::SaveFileDialog(Desktop& desktop, QWidget* parent, const QString& caption,
                               const QString& filter, const QString& default_suffix,
                               const QString& kept_file)
    : QFileDialog(parent, caption, QString(), filter), desktop_(desktop), kept_file_(kept_file) {
    setObjectName(QStringLiteral("saveFileDialog"));
    // Qt's own dialog: a desktop's native one would ask about writing over before accept().
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setDefaultSuffix(default_suffix);
}

QString SaveFileDialog::refusal(const QString& kept_file) {
    return QStringLiteral(
               "%1 — файл настроек станка, параметры задания его не заменяют. Выберите другое "
               "имя.")
        .arg(QFileInfo(kept_file).fileName());
}

void SaveFileDialog::accept() {
    const QString chosen = selectedFiles().value(0);
    if (!kept_file_.isEmpty() && !chosen.isEmpty() && same_file(chosen, kept_file_)) {
        desktop_.message_box(this, application_title(), refusal(kept_file_), QMessageBox::Warning);
        return;
    }
    QFileDialog::accept();
}

}  // namespace ostrel
