// Console operator: one line per message, panel texts from the command line.
#include "run/console_operator.h"

#include "port/port_selection.h"

namespace ostrel {

ConsoleOperator::ConsoleOperator(const RunOptions& options, std::FILE* messages)
    : options_(options), messages_(messages) {}

void ConsoleOperator::show_message(MessageKind kind, const QString& text) {
    ++messages_shown_;
    if (kind == MessageKind::Error) {
        ++errors_shown_;
    }
    QString line = text;
    line.replace(u'\n', u' ');
    std::fprintf(messages_, "message: %s\n", line.toUtf8().constData());
    std::fflush(messages_);
}

bool ConsoleOperator::ask_yes_no(MessageKind kind, const QString& text) {
    show_message(kind, text);
    return true;
}

void ConsoleOperator::process_messages() {
    if (idle_work_) {
        idle_work_();
    }
}

void ConsoleOperator::set_port_name(const QString& name) {
    port_name_ = name;
    port_id_ = port_id_for_name(name, added_ports());
}

void ConsoleOperator::know_added_ports(std::vector<AddedPort> added) {
    Panel::know_added_ports(std::move(added));
    port_id_ = port_id_for_name(port_name_, added_ports());
}

QString ConsoleOperator::field_text(Field field) const {
    if (field == Field::Port) {
        return port_name_;
    }
    return options_.field_text(field);
}

}  // namespace ostrel
