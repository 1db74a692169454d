#include "signin/XmlWrapper.h"

#include <cctype>

namespace {

bool IsBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

void CollectText(pugi::xml_node node, std::string& text) {
    for (pugi::xml_node child : node.children()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            text += child.value();
        else if (child.type() == pugi::node_element)
            CollectText(child, text);
    }
}

// A document has exactly one element at its top.
int CountElements(const pugi::xml_node& document) {
    int count = 0;
    for (pugi::xml_node child : document.children())
        if (child.type() == pugi::node_element) ++count;
    return count;
}

}  // namespace

CXmlNodeWrapper CXmlNodeWrapper::ChildByName(const std::string& name) const {
    if (!m_node) return {};
    for (pugi::xml_node child : m_node.children(name.c_str()))
        if (child.type() == pugi::node_element) return CXmlNodeWrapper(child);
    return {};
}

std::string CXmlNodeWrapper::NodeText() const {
    std::string text;
    if (!m_node) return text;
    if (m_node.type() == pugi::node_pcdata || m_node.type() == pugi::node_cdata)
        text = m_node.value();
    else
        CollectText(m_node, text);
    std::size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

bool CXmlDocumentWrapper::ParseXml(const std::string& text) {
    // Entities are not expanded and no outside resource is ever loaded.
    const pugi::xml_parse_result result =
        m_document.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
    if (result && CountElements(m_document) == 1) return true;
    m_document.reset();
    return false;
}

CXmlNodeWrapper CXmlDocumentWrapper::RootNode() const {
    return CXmlNodeWrapper(m_document.document_element());
}
