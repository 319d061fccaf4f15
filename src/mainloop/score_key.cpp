#include "mainloop/score_key.h"

#include "mainloop/process_dialogs.h"
#include "mainloop/program.h"

#include <algorithm>

namespace meru::mainloop {

int search_y(const Program& p)
{
    const Analysis& a = *p.analysis;
    const outcome::Outcome& y = a.outcome;
    return y.serial() ? std::clamp(a.ycurrent, 1, y.ny) : 1;
}

int scored_y(const Program& p, int y)
{
    if (!p.analysis) return 0;
    const outcome::Outcome& o = p.analysis->outcome;
    if (o.ny > 1 && !o.yserial) return 0;
    return y > 0 ? y : search_y(p);
}

ScoreKey score_key(const Program& p, int yk)
{
    const stats::CritSettings& c = p.crit;
    ScoreKey k;
    k.set = true;
    k.icrit = c.icrit;
    k.gamma = c.gamma;
    k.balanced = c.balanced;
    k.priors_given = c.priors_given;
    if (c.priors_given) k.prior = c.prior;
    k.weigh_by_costs = c.weigh_by_costs;
    for (std::size_t i = 0; i < c.cost.size(); ++i) {
        k.cost[2 * i] = c.cost[i].in_a_minus;
        k.cost[2 * i + 1] = c.cost[i].in_a;
    }
    k.qi_r = c.qi_r;
    k.or_prior = c.or_prior;
    k.yweight = c.yweight;
    k.inverse_variance = c.inverse_variance;
    if (p.analysis) {
        const outcome::Outcome& y = p.analysis->outcome;
        k.ny = y.ny;
        k.yserial = y.yserial;
        k.ycol = y.ycol;
        k.yattr = y.yattr;
        k.y = scored_y(p, yk);
        // The weights in use: switched to the test sample they are the test
        // sample's, so a G held from the training sample is scored again.
        auto values = std::make_shared<const SampleKey::Values>(
            SampleKey::Values{analysis_sample(p), p.analysis->data.obswt});
        k.sample.values = values;
        // The keys held that agree on them share their copy.
        for (const ScoreKey* held : {&p.process.lists_key, &p.process.current_key})
            if (held->sample == k.sample) k.sample = held->sample;
    }
    return k;
}

} // namespace meru::mainloop
