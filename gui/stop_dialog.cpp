// TF_stop: the answer is the caption of L_stop; whoever asked reads it after the window hides.
#include "gui/stop_dialog.h"
#include "gui/window_frame.h"

#include "ui_stop_dialog.h"

namespace ostrel {

TF_stop::TF_stop(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TF_stop>()) {
    ui->setupUi(this);
    QFont question(QStringLiteral("Arial"));
    question.setPixelSize(18);  // Designer stores point sizes only
    ui->Label1->setFont(question);
    resize(client_size_for_outer(285, 96));
    move(348, 212);
    // Its close box only hides it (the answer stays); closing it never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    connect(ui->Button1, &QPushButton::clicked, this, &TF_stop::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TF_stop::Button2Click);
}

TF_stop::~TF_stop() = default;

QString TF_stop::answer() const {
    return ui->L_stop->text();
}

void TF_stop::clear_answer() {
    ui->L_stop->clear();
}

void TF_stop::Button1Click() {
    ui->L_stop->setText(QStringLiteral("yes"));
    hide();
}

void TF_stop::Button2Click() {
    ui->L_stop->setText(QStringLiteral("no"));
    hide();
}

}  // namespace ostrel
