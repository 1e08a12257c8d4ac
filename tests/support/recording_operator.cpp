// Recording operator and fake panel.
#include "tests/support/recording_operator.h"

#include "core/number_text.h"

namespace ostrel::testing {

void RecordingOperator::show_message(MessageKind kind, const QString& text) {
    messages.push_back({kind, text});
    if (on_message) {
        on_message(messages.back());
    }
}

bool RecordingOperator::ask_yes_no(MessageKind kind, const QString& text) {
    show_message(kind, text);
    return yes_no_answer;
}

void RecordingOperator::process_messages() {
    ++messages_processed;
    if (on_process_messages) {
        on_process_messages();
    }
}

void RecordingOperator::show_position(double x, double y, double z) {
    show_position_texts(show_fixed4(x), show_fixed4(y), show_fixed4(z));
}

void RecordingOperator::show_position_texts(const QString& x, const QString& y, const QString& z) {
    display_x = x;
    display_y = y;
    display_z = z;
    ++position_updates;
}

std::vector<QString> RecordingOperator::message_texts() const {
    std::vector<QString> texts;
    for (const auto& message : messages) {
        texts.push_back(message.text);
    }
    return texts;
}

FakePanel::FakePanel() {
    // The texts the window starts with.
    texts[Field::SpeedXy] = QStringLiteral("e_sped");
    texts[Field::SpeedXyRapid] = QStringLiteral("e_sped2");
    texts[Field::ZTravel] = QStringLiteral("e_pero");
    texts[Field::SpeedZUp] = QStringLiteral("e_sped_up");
    texts[Field::SpeedZDown] = QStringLiteral("e_sped_dow");
    texts[Field::DrillDepth] = QStringLiteral("e_glubs");
    texts[Field::DxfFile] = QStringLiteral("d:\\step\\dxf\\1.dxf");
    texts[Field::GerberFile] = QStringLiteral("Файл");
    texts[Field::MarkerDiameter] = QStringLiteral("05");
    for (Field f : {Field::GoToX, Field::GoToY, Field::GoToZ, Field::NewPositionX,
                    Field::NewPositionY, Field::NewPositionZ}) {
        texts[f] = QStringLiteral("0,0");
    }
    texts[Field::Port] = QStringLiteral("$378");
}

QString FakePanel::field_text(Field field) const {
    const auto found = texts.find(field);
    return found == texts.end() ? QString() : found->second;
}

}  // namespace ostrel::testing
