#pragma once
// One entry of the list of known feeds and its FTP destinations, as plain data.
// Their persistence lives with the program settings.

#include <string>

namespace feed {

// One FTP destination.
struct TFTPInfo {
    std::string Server;
    std::string Username;
    std::string Password;
    std::string Mode = "pasv";  // "port" for active data connections, anything else passive
    std::string Path;
    std::string Filename;

    void CopyFrom(const TFTPInfo& other) { *this = other; }
};

// One known feed: its file and address, export files, smart-date rules, FTP
// destinations and item defaults.
struct TFeedInfo {
    std::string LocalFile;
    std::string RemoteFile;
    std::string LocalImageFile;
    std::string LastExportHtmlTemplate;
    std::string LastExportHtmlOutput;
    std::string LastExportJavaScriptTemplate;
    std::string LastExportJavaScriptOutput;
    std::string LastExportTextTemplate;
    std::string LastExportTextOutput;
    std::string LastExportCsvTemplate;
    std::string LastExportCsvOutput;
    int FeedSmartDateDate = 0;
    int FeedSmartDateDateX = 1;
    int FeedSmartDateTime = 0;
    int ItemSmartDateDate = 0;
    int ItemSmartDateDateX = 1;
    int ItemSmartDateTime = 0;
    TFTPInfo FeedFtp;
    TFTPInfo ImageFtp;
    bool AutoPubDate = true;
    std::string DefLink;
    std::string DefAuthor;
    std::string DefGuid;
    std::string DefGuidIsPermaLink = "True";
    std::string DefCategory;
    std::string DefCategoryDomain;
    std::string DefSource;
    std::string DefSourceUrl;
    std::string DefEnclosureUrl;
    std::string DefEnclosureLength;
    std::string DefEnclosureType;
    std::string DefComments;

    // Copies every field, the FTP destinations' fields included.
    void CopyFrom(const TFeedInfo& other) { *this = other; }
};

}  // namespace feed
