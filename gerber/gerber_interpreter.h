// The Gerber command interpreter: lines cut into words, each word run in preview, plot, drill mode.
#pragma once

#include "core/picture.h"
#include "gerber/aperture_table.h"
#include "motion/machine.h"
#include "motion/mover.h"

#include <QPoint>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ostrel {

// The interpreter's registers. They start at zero and persist across lines, passes and runs;
// only the preview and the job buttons set a few before a run.
struct GerberRegisters {
    double cur_x = 0;        // last X word: mm in plot and drill mode, pixels in preview mode
    double cur_y = 0;        // last Y word, likewise
    double cur_i = 0;        // last I word, likewise; a circle's radius
    std::int32_t cur_g = 0;  // last G word, rounded
    std::int32_t current_aperture = 0;  // D-code of the selected aperture
    bool aperture_pending = false;      // a G54 word was read: the next D word selects an aperture
    bool preview_mode = false;
    bool plot_mode = false;
    bool drill_mode = false;
    double view_scale = 0;  // preview pixels per mm
    double view_max_x = 0;  // preview extents, grown by lines, moves and circles
    double view_max_y = 0;
};

class GerberInterpreter {
public:
    // The preview's pen: blue lines, red circles and pads, one pixel wide.
    static constexpr QRgb kLineColour = 0xff0000ff;
    static constexpr QRgb kCircleColour = 0xffff0000;
    // Pixels of the preview are held within this distance of the origin before they reach the
    // painter; a line reaching further is cut there, a circle reaching further is left out.
    static constexpr long long kFarPixel = 1LL << 21;

    GerberInterpreter(Machine& machine, Mover& mover, const ApertureTable& aperture_table)
        : machine_(machine), mover_(mover), aperture_table_(aperture_table) {}

    GerberRegisters& registers() { return registers_; }
    const GerberRegisters& registers() const { return registers_; }

    // The file-view picture the preview handling draws on; none: the registers and extents still
    // change, nothing is drawn.
    void set_picture(Picture* picture) { picture_ = picture; }
    Picture* picture() const { return picture_; }
    // Off: the preview handling moves the pen where it would have drawn. The measuring pass of
    // the preview runs so, since its strokes are wiped before anyone sees them.
    void set_strokes(bool on) { strokes_ = on; }

    // The hole depth in mm the drill handling goes down to (drillDepthEdit, read by "Сверлить").
    void set_drill_depth(double mm) { drill_depth_ = mm; }
    double drill_depth() const { return drill_depth_; }

    // A number and how far the caller moves on from its first character.
    struct Number {
        double value = 0;
        std::size_t reach = 1;
    };
    // The number that starts at the 1-based position start of line (digits and at most one
    // point). When it runs to the end of the line the reach is the whole line's length; past
    // the end it is 0 with reach 1.
    static Number number_at(std::string_view line, std::size_t start);

    // Executes one line: every word (the non-digits before a number, and the number) goes to
    // run_word in turn. Moves refused by the machine throw OperationAbandoned.
    void run_line(std::string_view line);
    // Executes one word in the modes switched on, in the order preview, plot, drill.
    void run_word(std::string_view letters, double number);

private:
    bool take_register_word(char letter, double number, long double scale, std::int32_t& action);
    void preview_word(char letter, double number);
    void plot_word(char letter, double number);
    void drill_word(char letter, double number);
    // G and D words are read alike in preview and plot mode; true when the D word acts.
    void take_g(double number);
    bool take_d(double number, std::int32_t& action);

    void lower();
    void draw_to(double x, double y);
    void plot_circle();
    void plot_pad();

    // Preview drawing on picture coordinates given unrounded, safe for any value.
    void pen_line_to(double x, double y);
    void pen_move_to(double x, double y);
    void pen_circle(double left, double top, double right, double bottom);
    // Where the pen stands, in pixels that may lie beyond what the picture can hold.
    void pen_start(long double& x, long double& y) const;
    // The pen left at the pixel (x, y), which may lie beyond kFarPixel.
    void pen_rest_at(long double x, long double y);

    Machine& machine_;
    Mover& mover_;
    const ApertureTable& aperture_table_;
    GerberRegisters registers_;
    Picture* picture_ = nullptr;
    bool strokes_ = true;
    double drill_depth_ = 0;
    // Where the pen really stands when that lies beyond kFarPixel, and the point the picture's
    // pen was left at for it; the picture's own pen counts once someone else has moved it.
    long double pen_x_ = 0;
    long double pen_y_ = 0;
    QPoint pen_shown_;
    bool pen_far_ = false;
};

}  // namespace ostrel
