// A strict reader of XML 1.0 well-formedness for the tests: one root,
// nested tags that close in order, quoted attributes without repeats, known
// entity references, UTF-8 without the control characters XML forbids. No
// DTDs and no CDATA, which the chart never writes.
#pragma once

#include <map>
#include <string>
#include <vector>

struct XmlElement {
    std::string name;
    std::map<std::string, std::string> attributes;  // values with references resolved
    std::string text;                               // its own character data
    int parent;                                     // index in the list, -1 for the root
};

// False with `error` saying where it first went wrong. On success the
// elements in document order.
bool readXml(const std::string& document, std::vector<XmlElement>& elements, std::string& error);

// The same for an HTML page written as XML: "<!DOCTYPE html>" in place of
// the declaration.
bool readHtml(const std::string& document, std::vector<XmlElement>& elements, std::string& error);
