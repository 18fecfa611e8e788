// The presentation's connection tags as a list of connection objects: read in tag order, and
// written back as a whole, unlinking the shapes whose connection is no longer in the list. These
// are the tag-level halves of the connection manager's load and OK; opening the connections is
// left to the caller.
#ifndef VINTREL_DOCUMENT_CONNECTION_TAGS_H_
#define VINTREL_DOCUMENT_CONNECTION_TAGS_H_

#include <memory>
#include <string>
#include <vector>

#include "connections/connection.h"
#include "host/presentation.h"

namespace vintrel {

// One connection object per "QUENDRA CONNECTION" tag, in tag order, with the presentation's full
// name, the number after the prefix and the tag's value as its TagString. A value that does not
// read keeps what was assigned before the failure; nothing is opened.
std::vector<std::unique_ptr<clsConnection>> ReadConnectionTags(Context& ctx,
                                                               host::Presentation& presentation);

// The numbers of the connections, for NextConnectionTagNumber.
std::vector<std::string> ConnectionTagNumbers(
    const std::vector<std::unique_ptr<clsConnection>>& connections);

// The connection of that number (compared as text, so "7" is not "07"), or null.
clsConnection* FindConnection(const std::vector<std::unique_ptr<clsConnection>>& connections,
                              std::string_view connection_tag_number);

// The name offered for a new connection of `type`: "New text file connection", "New data
// connection" or "New Excel connection", followed by a blank and n + 1 when `existing_of_type`
// connections of that kind (n >= 1) exist already.
std::string DefaultConnectionName(int type, int existing_of_type);

// Rewrites the connection tags from the list, in list order, after adding the version tag when
// missing. Every shape whose "QUENDRA COLUMN TAG" names a connection no longer in the list loses
// its link tags and its text. Failures of single deletes are passed over; a failing add is raised.
void WriteConnectionTags(host::Presentation& presentation,
                         const std::vector<std::unique_ptr<clsConnection>>& connections);

}  // namespace vintrel

#endif  // VINTREL_DOCUMENT_CONNECTION_TAGS_H_
