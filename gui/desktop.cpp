// The Qt desktop behind the windows: real message boxes, file dialogs and links.
#include "gui/desktop.h"

#include "gui/save_file_dialog.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QMetaObject>
#include <QPushButton>
#include <QTranslator>

namespace ostrel {

QString application_title() {
    return QStringLiteral("Ostrel 7");
}

std::unique_ptr<QTranslator> install_qt_translations() {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qt"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return nullptr;
    }
    QCoreApplication::installTranslator(translator.get());
    return translator;
}

void QtDesktop::message_box(QWidget* parent, const QString& caption, const QString& text,
                            QMessageBox::Icon icon) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtDesktop::question_box(QWidget* parent, const QString& caption, const QString& text,
                             QMessageBox::Icon icon) {
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("ДА"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("НЕТ"), QMessageBox::NoRole);
    // Enter alone never sends the machine on; the close box and Esc are "НЕТ".
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

QString QtDesktop::open_file_name(QWidget* parent, const QString& caption, const QString& filter,
                                  const QString& folder) {
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

QString QtDesktop::save_file_name(QWidget* parent, const QString& caption, const QString& filter,
                                  const QString& default_suffix, const QString& kept_file) {
    SaveFileDialog dialog(*this, parent, caption, filter, default_suffix, kept_file);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles().value(0);
}

void QtDesktop::open_url(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

void QtDesktop::end_program(int exit_status) {
    // Queued: QCoreApplication::exit does nothing before the message loop has started.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [exit_status] { QCoreApplication::exit(exit_status); },
        Qt::QueuedConnection);
}

}  // namespace ostrel
