#pragma once
#include <string>

// The web-site address of the defaults file ("main_web_site_url"), lower case.
const std::string& EE_Core_WebSiteAddress();
