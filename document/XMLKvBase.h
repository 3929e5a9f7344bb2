#pragma once
#include <QString>

#include <pugixml.hpp>

#include <cstring>
#include <memory>
#include <vector>

// Typed access to the test document. A binding is a light handle on one element of the DOM;
// it keeps the DOM alive, so a page that still holds a binding after the document component
// loaded another file reads the old document instead of freed memory.
//
// Reading a child creates it when missing: older or hand-made documents gain their elements
// as soon as they are used. A binding on no element (an index out of range) reads empty
// values and ignores writes.

using TXMLDom = std::shared_ptr<pugi::xml_document>;

// Numbers are written with "." and at most 15 significant digits, shortest form ("0.5", "1E-5").
QString FormatXMLNumber(double value);
// Integers read as 0 when the attribute is missing or not a number.
bool ParseXMLInt(const char* text, int& value);

class TXMLNodeBinding {
public:
    TXMLNodeBinding() = default;
    TXMLNodeBinding(pugi::xml_node node, TXMLDom dom) : FNode(node), FDom(std::move(dom)) {}

    bool IsNull() const { return !FNode; }
    pugi::xml_node Node() const { return FNode; }
    const TXMLDom& Dom() const { return FDom; }
    QString NodeName() const { return QString::fromUtf8(FNode.name()); }
    // True when the element has such a child; unlike the child getters it adds nothing.
    bool HasChild(const char* name) const { return bool(FNode.child(name)); }

    // Raw attribute access for attributes the binding does not declare.
    QString TextAttr(const char* name) const;
    void SetTextAttr(const char* name, const QString& value) const;
    int IntAttr(const char* name) const;
    void SetIntAttr(const char* name, int value) const;
    double NumberAttr(const char* name) const;
    void SetNumberAttr(const char* name, double value) const;

protected:
    // The first child of that name, appended when there is none.
    pugi::xml_node ChildNode(const char* name) const;
    template <class T> T Child(const char* name) const { return T(ChildNode(name), FDom); }

    mutable pugi::xml_node FNode; // a handle: writing through it leaves the binding unchanged
    TXMLDom FDom;
};

// Leaves that carry their datum in the attribute "Value".
class TXMLTextValueType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    QString Value() const { return TextAttr("Value"); }
    void SetValue(const QString& value) const { SetTextAttr("Value", value); }
};

class TXMLIntValueType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    int Value() const { return IntAttr("Value"); }
    void SetValue(int value) const { SetIntAttr("Value", value); }
};

class TXMLNumberValueType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    double Value() const { return NumberAttr("Value"); }
    void SetValue(double value) const { SetNumberAttr("Value", value); }
};

// A quantity is kept as the text that was written ("10 kV"); ReadValue gives the number in
// base units through the SI reader.
class TXMLQuantityType : public TXMLTextValueType {
public:
    using TXMLTextValueType::TXMLTextValueType;
    bool ReadValue(double& value, QString* unit = nullptr) const;
};

// The items of a repeated child, addressed by their position among the children of that name.
template <class T> class TXMLNodeList {
public:
    using TInit = void (*)(const T&);
    TXMLNodeList(pugi::xml_node parent, const char* name, TXMLDom dom, TInit init = nullptr)
        : FParent(parent), FName(name), FDom(std::move(dom)), FInit(init) {}

    int Count() const {
        int n = 0;
        for (pugi::xml_node c = FParent.child(FName); c; c = c.next_sibling(FName))
            ++n;
        return n;
    }
    T Item(int index) const { return T(NodeAt(index), FDom); }
    std::vector<T> Items() const {
        std::vector<T> items;
        for (pugi::xml_node c = FParent.child(FName); c; c = c.next_sibling(FName))
            items.emplace_back(c, FDom);
        return items;
    }
    // Items stay together: a new one goes after the last item, or at the end of the parent.
    T Add() const {
        const pugi::xml_node last = Last();
        return Made(last ? FParent.insert_child_after(FName, last) : FParent.append_child(FName));
    }
    // Searched from the end, where the items of a long table are: appending stays cheap.
    pugi::xml_node Last() const {
        for (pugi::xml_node c = FParent.last_child(); c; c = c.previous_sibling())
            if (c.type() == pugi::node_element && std::strcmp(c.name(), FName) == 0)
                return c;
        return {};
    }
    // Before the item at index; at or past the end it adds.
    T Insert(int index) const {
        pugi::xml_node at = index >= 0 ? NodeAt(index) : pugi::xml_node();
        return at ? Made(FParent.insert_child_before(FName, at)) : Add();
    }
    void Delete(int index) const { FParent.remove_child(NodeAt(index)); }
    void Clear() const {
        while (pugi::xml_node c = FParent.child(FName))
            FParent.remove_child(c);
    }

private:
    pugi::xml_node NodeAt(int index) const {
        if (index < 0)
            return {};
        pugi::xml_node c = FParent.child(FName);
        for (; c && index > 0; --index)
            c = c.next_sibling(FName);
        return c;
    }
    T Made(pugi::xml_node node) const {
        T item(node, FDom);
        if (FInit && node)
            FInit(item);
        return item;
    }

    mutable pugi::xml_node FParent;
    const char* FName;
    TXMLDom FDom;
    TInit FInit;
};
