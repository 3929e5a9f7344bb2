#include "XMLSnapshot.h"

void TXMLContentSnapshot::Clear() {
    FCopy.reset();
    FElements.clear();
}

void TXMLContentSnapshot::Take(const std::vector<pugi::xml_node>& elements) {
    Clear();
    for (const pugi::xml_node& e : elements) {
        FElements.push_back(e);
        if (e)
            FCopy.append_copy(e);
        else
            FCopy.append_child("none"); // keeps the copies in step with the elements
    }
}

void TXMLContentSnapshot::Restore() {
    pugi::xml_node copy = FCopy.first_child();
    for (pugi::xml_node e : FElements) {
        if (!copy)
            break;
        if (e) {
            while (pugi::xml_attribute a = e.first_attribute())
                e.remove_attribute(a);
            while (pugi::xml_node c = e.first_child())
                e.remove_child(c);
            for (pugi::xml_attribute a = copy.first_attribute(); a; a = a.next_attribute())
                e.append_attribute(a.name()).set_value(a.value());
            for (pugi::xml_node c = copy.first_child(); c; c = c.next_sibling())
                e.append_copy(c);
        }
        copy = copy.next_sibling();
    }
}
