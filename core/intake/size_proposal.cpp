#include "intake/size_proposal.h"

#include "common/leading_number.h"
#include "common/number_format.h"
#include "common/rounding.h"

namespace tovrel {

std::optional<std::string> proposedWidthText(const JobState& job) {
    if (job.BaseW <= 0 || job.BaseH <= 0 || job.ImgRes(1) <= 0) {
        return std::nullopt;
    }
    const double hundredths = roundHalfEven(job.BaseW * 10000.0 / job.ImgRes(1));
    return formatDouble(hundredths / 100);
}

std::optional<std::string> proposedHeightText(std::string_view widthText, float aspect) {
    if (!(aspect > 0)) {
        return std::nullopt;
    }
    const double hundredths = roundHalfEven(leadingNumber(widthText) * 100 / double{aspect});
    return formatDouble(hundredths / 100);
}

} // namespace tovrel
