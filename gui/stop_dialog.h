// TF_stop, the continue/stop question: shows "Продолжить?", records yes or no, and hides itself.
#pragma once

#include <QString>
#include <QWidget>
#include <memory>

namespace Ui {
class TF_stop;
}

namespace ostrel {

class TF_stop : public QWidget {
    Q_OBJECT

public:
    explicit TF_stop(QWidget* parent = nullptr);
    ~TF_stop() override;

    // The caption of L_stop: "yes", "no", or empty before the first answer. Valid once hidden.
    QString answer() const;
    // Forgets the last answer, for a caller about to ask again.
    void clear_answer();

public Q_SLOTS:
    void Button1Click();
    void Button2Click();

private:
    std::unique_ptr<Ui::TF_stop> ui;
};

}  // namespace ostrel
