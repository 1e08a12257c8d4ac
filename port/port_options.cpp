// Choosing and building the port back end from the command line and the environment.
#include "port/port_options.h"

#include "port/direct_backend.h"
#include "port/lpt_port_connection.h"
#include "port/ppdev_backend.h"
#include "port/sim_backend.h"
#include "port/trace_backend.h"

#include <algorithm>
#include <cstring>

namespace ostrel {

namespace {

// What a failed Auto choice leaves: no access, and why.
class ClosedBackend final : public PortBackend {
public:
    explicit ClosedBackend(int error) : error_(error) {}
    bool is_open() const override { return false; }
    int open_error() const override { return error_; }
    bool read_register(std::uint8_t, std::uint8_t&) override { return false; }
    bool write_register(std::uint8_t, std::uint8_t) override { return false; }

private:
    int error_;
};

enum class Taken { No, Yes, MissingValue };

// Whether arguments[i] is the option name (as "--name=VALUE" or "--name VALUE"); on Yes the
// option's words are removed and value holds what followed.
Taken take_option(QStringList& arguments, qsizetype i, const QString& name, QString& value) {
    const QString& word = arguments[i];
    const QString prefix = name + QLatin1Char('=');
    if (word.startsWith(prefix)) {
        value = word.mid(prefix.size());
        arguments.removeAt(i);
        return Taken::Yes;
    }
    if (word != name) {
        return Taken::No;
    }
    if (i + 1 >= arguments.size()) {
        return Taken::MissingValue;
    }
    value = arguments[i + 1];
    arguments.remove(i, 2);
    return Taken::Yes;
}

QString kind_error(const QString& source, const QString& word) {
    return QStringLiteral("%1: unknown port \"%2\" (auto, ppdev, direct or sim)").arg(source, word);
}

// A base I/O address as the port list shows it, in hex digits only (no sign, no 0x): a multiple
// of four, as every port's registers are aligned, up to ffff.
std::optional<unsigned long> port_base_from_hex(const QString& digits) {
    const bool hex_only =
        !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) {
            const char16_t u = c.toLower().unicode();
            return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f');
        });
    bool ok = false;
    const unsigned long base = digits.toULong(&ok, 16);
    if (!hex_only || !ok || base == 0 || base > 0xFFFF || base % 4 != 0) {
        return std::nullopt;
    }
    return base;
}

}  // namespace

std::optional<PortKind> port_kind_from_name(const QString& name) {
    if (name == QLatin1String("auto")) {
        return PortKind::Auto;
    }
    if (name == QLatin1String("ppdev")) {
        return PortKind::Ppdev;
    }
    if (name == QLatin1String("direct")) {
        return PortKind::Direct;
    }
    if (name == QLatin1String("sim")) {
        return PortKind::Sim;
    }
    return std::nullopt;
}

std::optional<PortOptions> with_sim_ports(PortOptions options, const QString& list) {
    options.sim_3bc = options.sim_378 = options.sim_278 = false;
    options.sim_added.clear();
    // An empty list is a machine with no port at all, for trying what the program does then.
    if (list.isEmpty()) {
        return options;
    }
    for (const QString& item : list.split(QLatin1Char(','))) {
        const std::optional<unsigned long> base_read = port_base_from_hex(item.trimmed());
        if (!base_read.has_value()) {
            return std::nullopt;
        }
        const unsigned long base = *base_read;
        bool* classic = base == 0x3BC   ? &options.sim_3bc
                        : base == 0x378 ? &options.sim_378
                        : base == 0x278 ? &options.sim_278
                                        : nullptr;
        if (classic != nullptr) {
            *classic = true;
            continue;
        }
        // A port named twice is one port.
        if (std::find(options.sim_added.begin(), options.sim_added.end(), base) !=
            options.sim_added.end()) {
            continue;
        }
        if (options.sim_added.size() >= std::size_t{MAX_ADDED_PORTS}) {
            return std::nullopt;
        }
        options.sim_added.push_back(base);
    }
    return options;
}

std::optional<PortOptions> take_port_options(QStringList& arguments, PortKind default_kind,
                                             QString& error) {
    PortOptions options;
    options.kind = default_kind;
    bool port_given = false;
    qsizetype i = 0;
    while (i < arguments.size()) {
        if (arguments[i] == QLatin1String("--")) {
            break;
        }
        QString value;
        bool matched = false;
        for (const char* name : {"--port", "--sim-ports", "--trace"}) {
            const Taken taken = take_option(arguments, i, QLatin1String(name), value);
            if (taken == Taken::No) {
                continue;
            }
            if (taken == Taken::MissingValue) {
                error = QStringLiteral("%1 needs a value").arg(QLatin1String(name));
                return std::nullopt;
            }
            matched = true;
            if (std::strcmp(name, "--port") == 0) {
                const std::optional<PortKind> kind = port_kind_from_name(value);
                if (!kind.has_value()) {
                    error = kind_error(QStringLiteral("--port"), value);
                    return std::nullopt;
                }
                options.kind = *kind;
                port_given = true;
            } else if (std::strcmp(name, "--sim-ports") == 0) {
                const std::optional<PortOptions> with = with_sim_ports(options, value);
                if (!with.has_value()) {
                    error = QStringLiteral(
                                "--sim-ports: \"%1\" is not a list of port base addresses in "
                                "hex (3bc, 378, 278, d010 …)")
                                .arg(value);
                    return std::nullopt;
                }
                options = *with;
            } else {
                if (value.isEmpty()) {
                    error = QStringLiteral("--trace needs a file name");
                    return std::nullopt;
                }
                options.trace_path = value;
            }
            break;
        }
        if (!matched) {
            ++i;
        }
    }
    if (!port_given && qEnvironmentVariableIsSet("OSTREL_PORT")) {
        const QString word = qEnvironmentVariable("OSTREL_PORT");
        const std::optional<PortKind> kind = port_kind_from_name(word);
        if (!kind.has_value()) {
            error = kind_error(QStringLiteral("OSTREL_PORT"), word);
            return std::nullopt;
        }
        options.kind = *kind;
    }
    return options;
}

std::unique_ptr<PortBackend> make_port_backend(const PortOptions& options, QString* error) {
    std::unique_ptr<PortBackend> backend;
    switch (options.kind) {
        case PortKind::Ppdev:
            backend = std::make_unique<PpdevBackend>();
            break;
        case PortKind::Direct:
            backend = std::make_unique<DirectBackend>();
            break;
        case PortKind::Sim:
            backend = std::make_unique<SimBackend>(options.sim_3bc, options.sim_378,
                                                   options.sim_278, options.sim_added);
            break;
        case PortKind::Auto: {
            auto ppdev = std::make_unique<PpdevBackend>();
            if (ppdev->is_open()) {
                backend = std::move(ppdev);
                break;
            }
            auto direct = std::make_unique<DirectBackend>();
            if (direct->is_open()) {
                backend = std::move(direct);
                break;
            }
            // The ppdev error says the most to a user of today's systems (no device, or not in
            // group lp).
            backend = std::make_unique<ClosedBackend>(ppdev->open_error());
            break;
        }
    }
    if (options.trace_path.isEmpty()) {
        return backend;
    }
    auto traced = std::make_unique<TraceBackend>(std::move(backend), options.trace_path);
    if (!traced->trace_open() && error != nullptr) {
        *error = QStringLiteral("cannot write the trace file %1: %2")
                     .arg(options.trace_path, traced->trace_error());
    }
    return traced;
}

SimBackend* find_sim_backend(PortBackend* backend) {
    if (auto* traced = dynamic_cast<TraceBackend*>(backend)) {
        backend = &traced->inner();
    }
    return dynamic_cast<SimBackend*>(backend);
}

TraceBackend* find_trace_backend(PortBackend* backend) {
    return dynamic_cast<TraceBackend*>(backend);
}

QString port_failure_message(LptPortConnection& connection) {
    const TraceBackend* trace = find_trace_backend(connection.backend());
    if (trace != nullptr && !trace->trace_open()) {
        return QStringLiteral("Не удаётся записать файл трассировки \"%1\": %2")
            .arg(trace->trace_path(), trace->trace_error());
    }
    const int code = connection.error_code();
    return QStringLiteral("Ошибка при создании объекта Lpt,  драйвер ERROR,  код = %1 (%2)")
        .arg(code)
        .arg(qt_error_string(code));
}

}  // namespace ostrel
