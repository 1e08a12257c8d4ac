// The dry run: the mover set to go without steps, the operator quiet, the state kept.
#include "motion/dry_run.h"

namespace ostrel {

DryRun::DryRun(Machine& machine, Mover& mover)
    : machine_(machine), mover_(mover), saved_(machine.state()) {
    mover_.set_dry_run(&extents_);
    machine_.set_quiet(true);
}

DryRun::~DryRun() {
    mover_.set_dry_run(nullptr);
    machine_.set_quiet(false);
    machine_.state() = saved_;
}

}  // namespace ostrel
