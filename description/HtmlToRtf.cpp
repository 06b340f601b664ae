#include "description/HtmlToRtf.h"

#include "description/HtmlLayout.h"
#include "description/RtfWriter.h"

namespace qm {

std::string HtmlToRtf(std::string_view html, const RtfStyle& style) {
    RtfWriter writer(style);
    LayOutHtml(html, writer);
    return writer.Document();
}

}  // namespace qm
