#pragma once
#include <pugixml.hpp>

#include <vector>

// A copy of the content of some elements (attributes and children), to be put back into the
// same elements: whoever holds a binding on one of them keeps a valid one, and the document
// reads and saves exactly as before the copy was taken.
class TXMLContentSnapshot {
public:
    void Take(const std::vector<pugi::xml_node>& elements);
    // Puts every element's content back; bindings on their children are gone afterwards.
    void Restore();
    bool IsEmpty() const { return FElements.empty(); }
    void Clear();

private:
    pugi::xml_document FCopy;
    std::vector<pugi::xml_node> FElements;
};
