// WriteIndexPage: the master index page "index.htm" of a published site,
// written at the end of an HTML or Print to File run (over the master list
// the HTML writer left there). One line per company of the volume list, in
// company-name order, linking the company's table page; then the text-only
// section linking each company's list page.
//
// Failure channel: "Template File missing from " + folder is shown (as
// information: the page is still written with the built-in head); a page
// that cannot be written raises EInOutError and leaves the old page as it was.
#pragma once

#include <map>
#include <string>

#include "platform/UserPort.h"

namespace vorne {

class TFromDisplay;

inline constexpr char kEndOfPrologue[] = "end of prologue";

// folder: the run's output folder as typed. tableStems: company code text ->
// file stem of every company whose table page the run wrote; only those are
// linked. Sorts the volume list by company name.
void WriteIndexPage(TEnv& env, TFromDisplay& list, const std::string& folder,
                    const std::map<std::string, std::string>& tableStems);

}  // namespace vorne
