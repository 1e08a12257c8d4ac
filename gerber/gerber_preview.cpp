// The two preview passes over a Gerber file and the fit between them.
#include "gerber/gerber_preview.h"

#include "core/job_file.h"
#include "core/job_file_lines.h"
#include "core/number_text.h"
#include "gerber/aperture_table.h"
#include "gerber/gerber_file.h"

#include <QColor>

namespace ostrel {

namespace {

// Puts the interpreter back in a state no job draws from, however the preview ends.
class PreviewModes {
public:
    explicit PreviewModes(GerberInterpreter& interpreter) : interpreter_(interpreter) {}
    ~PreviewModes() {
        interpreter_.set_strokes(true);
        interpreter_.registers().preview_mode = false;
    }
    PreviewModes(const PreviewModes&) = delete;
    PreviewModes& operator=(const PreviewModes&) = delete;

private:
    GerberInterpreter& interpreter_;
};

}  // namespace

double GerberPreview::fit_scale(double view_max_x, double view_max_y, QSize outer_size) {
    const Extended w = outer_size.width();
    const Extended h = outer_size.height();
    if (h / view_max_y >= w / view_max_x) {
        return static_cast<double>(static_cast<Extended>(kFill) * w / view_max_x);
    }
    return static_cast<double>(static_cast<Extended>(kFill) * h / view_max_y);
}

void GerberPreview::show_gerber_preview(FileView& view) {
    if (machine_.busy()) {
        machine_.op().show_message(MessageKind::Error, Machine::busy_message());
        return;
    }
    view.show();
    GerberRegisters& r = interpreter_.registers();
    PreviewModes restore(interpreter_);
    r.plot_mode = false;
    r.drill_mode = false;
    r.preview_mode = true;
    r.view_max_x = kLeastExtent;
    r.view_max_y = kLeastExtent;
    r.view_scale = 1;
    interpreter_.set_picture(&view.picture());
    // The measuring pass only finds the extents and where the pen ends: whatever it drew would
    // be wiped by the white fill below before anyone could see it.
    interpreter_.set_strokes(false);
    const bool found = interpret_file(view);
    interpreter_.set_strokes(true);
    r.view_scale = fit_scale(r.view_max_x, r.view_max_y, view.outer_size());
    view.picture().fill(QColor(255, 255, 255));
    // A missing file is told once, by the first pass.
    if (found) {
        interpret_file(view);
    }
}

bool GerberPreview::interpret_file(FileView& view) {
    view.show();
    const QString path = machine_.panel().field_text(Field::GerberFile);
    if (!job_file_exists(path, machine_.op(), Field::GerberFile)) {
        return false;
    }
    interpreter_.set_picture(&view.picture());
    GerberFileLines reader(path);
    JobFileLineReader::Line line;
    while (reader.next(line)) {
        if (!is_aperture_definition(line.text)) {
            interpreter_.run_line(line.text);
        }
    }
    return true;
}

}  // namespace ostrel
