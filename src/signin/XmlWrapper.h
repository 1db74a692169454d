#pragma once
// The small XML reading layer of the credential check: parse a document,
// take its root element, a child element by name, and a node's text. Empty
// wrappers answer every question with an empty result.
#include <pugixml.hpp>

#include <string>

class CXmlNodeWrapper {
public:
    CXmlNodeWrapper() = default;
    explicit CXmlNodeWrapper(pugi::xml_node node) : m_node(node) {}

    bool IsEmpty() const { return !m_node; }
    // The first child element named exactly `name`; empty when there is none.
    CXmlNodeWrapper ChildByName(const std::string& name) const;
    // The text of the node and all its descendants, without the white space
    // at both ends; empty for an empty wrapper.
    std::string NodeText() const;

private:
    pugi::xml_node m_node;  // refers into a document that outlives the wrapper
};

class CXmlDocumentWrapper {
public:
    // True when `text` is one complete, well-formed document; otherwise the
    // document is left empty.
    bool ParseXml(const std::string& text);
    // The document element; empty when there is none.
    CXmlNodeWrapper RootNode() const;

private:
    pugi::xml_document m_document;
};
