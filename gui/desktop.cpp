// The Qt desktop behind the windows: real message boxes, file dialogs and links.
#include "gui/desktop.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMetaObject>

namespace ostrel {

QString application_title() {
    return QStringLiteral("Ostrel 7");
}

void QtDesktop::message_box(QWidget* parent, const QString& caption, const QString& text,
                            QMessageBox::Icon icon) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

QString QtDesktop::open_file_name(QWidget* parent, const QString& caption, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

QString QtDesktop::save_file_name(QWidget* parent, const QString& caption, const QString& filter) {
    return QFileDialog::getSaveFileName(parent, caption, QString(), filter);
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
