// StopDialog, the continue/stop question: shows "Продолжить?", records yes or no, and hides itself.
#pragma once

#include <QString>
#include <QWidget>
#include <memory>

namespace Ui {
class StopDialog;
}

namespace ostrel {

class StopDialog : public QWidget {
    Q_OBJECT

public:
    explicit StopDialog(QWidget* parent = nullptr);
    ~StopDialog() override;

    // The caption of answerLabel: "yes", "no", or empty before the first answer. Valid once hidden.
    QString answer() const;
    // Forgets the last answer, for a caller about to ask again.
    void clear_answer();

public Q_SLOTS:
    void answer_yes();
    void answer_no();

private:
    std::unique_ptr<Ui::StopDialog> ui;
};

}  // namespace ostrel
