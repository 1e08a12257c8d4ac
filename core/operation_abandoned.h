// The one exception type that abandons an operator's operation with a message for the operator.
#pragma once

#include <QString>
#include <exception>

namespace ostrel {

// Thrown where an operation is abandoned part-way (a number that can't be read, a division by
// zero, a move that can't be made). Values stored before the failure keep their new values; the
// handler entry point catches it and shows message() in an OK box.
class OperationAbandoned : public std::exception {
public:
    explicit OperationAbandoned(QString message)
        : message_(std::move(message)), utf8_(message_.toUtf8()) {}

    const QString& message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

}  // namespace ostrel
