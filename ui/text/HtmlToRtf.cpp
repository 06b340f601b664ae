#include "ui/text/HtmlToRtf.h"

#include "ui/text/HtmlLayout.h"
#include "ui/text/RtfWriter.h"

namespace qm {

std::string HtmlToRtf(std::string_view html, const RtfStyle& style) {
    RtfWriter writer(style);
    LayOutHtml(html, writer);
    return writer.Document();
}

}  // namespace qm
