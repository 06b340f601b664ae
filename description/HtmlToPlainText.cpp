#include "description/HtmlToPlainText.h"

#include "description/HtmlLayout.h"
#include "description/PlainTextWriter.h"

namespace qm {

std::string HtmlToPlainText(std::string_view html) {
    PlainTextWriter writer;
    LayOutHtml(html, writer);
    return writer.Result();
}

}  // namespace qm
