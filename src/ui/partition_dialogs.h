#pragma once
// The Manual partition and Control file combination dialogs on the platform's
// dialog library, for the hand-entry loop of the partition engine (manpart.h).
#include "partition/manpart.h"

namespace meru::ui {

struct Context;

class QtPartitionDialogs final : public partition::PartitionDialogs {
public:
    explicit QtPartitionDialogs(Context& ctx) : ctx_(ctx) {}
    int manual(partition::ManualView& view) override;
    int combination(const std::vector<std::string>& lines, std::vector<bool>& selected) override;

private:
    Context& ctx_;
};

} // namespace meru::ui
