// StopDialog: the answer is the caption of answerLabel; whoever asked reads it after the window
// hides.
#include "gui/stop_dialog.h"
#include "gui/window_frame.h"

#include "ui_stop_dialog.h"

namespace ostrel {

StopDialog::StopDialog(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::StopDialog>()) {
    ui->setupUi(this);
    QFont question(QStringLiteral("Arial"));
    question.setPixelSize(18);  // Designer stores point sizes only
    ui->questionLabel->setFont(question);
    resize(client_size_for_outer(285, 96));
    move(348, 212);
    // Its close box only hides it (the answer stays); closing it never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    connect(ui->yesButton, &QPushButton::clicked, this, &StopDialog::answer_yes);
    connect(ui->noButton, &QPushButton::clicked, this, &StopDialog::answer_no);
}

StopDialog::~StopDialog() = default;

QString StopDialog::answer() const {
    return ui->answerLabel->text();
}

void StopDialog::clear_answer() {
    ui->answerLabel->clear();
}

void StopDialog::answer_yes() {
    ui->answerLabel->setText(QStringLiteral("yes"));
    hide();
}

void StopDialog::answer_no() {
    ui->answerLabel->setText(QStringLiteral("no"));
    hide();
}

}  // namespace ostrel
