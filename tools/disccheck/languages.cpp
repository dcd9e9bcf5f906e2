// Windows' language IDs as GetUserDefaultUILanguage and GetSystemDefaultLangID
// report them: the languages Windows 95 to XP know, each with its English
// name and its usual ANSI code page (what LOCALE_IDEFAULTANSICODEPAGE gives),
// so that disccheck can tell which machines a language section is meant for.
#include "disccheck_internal.h"

namespace disccheck {
namespace {

const Language kLanguages[] = {
    {0x0401, "Arabic (Saudi Arabia)", 1256}, {0x0801, "Arabic (Iraq)", 1256}, {0x0C01, "Arabic (Egypt)", 1256},
    {0x1001, "Arabic (Libya)", 1256}, {0x1401, "Arabic (Algeria)", 1256}, {0x1801, "Arabic (Morocco)", 1256},
    {0x1C01, "Arabic (Tunisia)", 1256}, {0x2001, "Arabic (Oman)", 1256}, {0x2401, "Arabic (Yemen)", 1256},
    {0x2801, "Arabic (Syria)", 1256}, {0x2C01, "Arabic (Jordan)", 1256}, {0x3001, "Arabic (Lebanon)", 1256},
    {0x3401, "Arabic (Kuwait)", 1256}, {0x3801, "Arabic (U.A.E.)", 1256}, {0x3C01, "Arabic (Bahrain)", 1256},
    {0x4001, "Arabic (Qatar)", 1256},
    {0x0402, "Bulgarian", 1251},
    {0x0403, "Catalan", 1252},
    {0x0404, "Chinese (Taiwan)", 950}, {0x0804, "Chinese (PRC)", 936}, {0x0C04, "Chinese (Hong Kong S.A.R.)", 950},
    {0x1004, "Chinese (Singapore)", 936}, {0x1404, "Chinese (Macao S.A.R.)", 950},
    {0x0405, "Czech", 1250},
    {0x0406, "Danish", 1252},
    {0x0407, "German (Germany)", 1252}, {0x0807, "German (Switzerland)", 1252}, {0x0C07, "German (Austria)", 1252},
    {0x1007, "German (Luxembourg)", 1252}, {0x1407, "German (Liechtenstein)", 1252},
    {0x0408, "Greek", 1253},
    {0x0409, "English (United States)", 1252}, {0x0809, "English (United Kingdom)", 1252},
    {0x0C09, "English (Australia)", 1252}, {0x1009, "English (Canada)", 1252}, {0x1409, "English (New Zealand)", 1252},
    {0x1809, "English (Ireland)", 1252}, {0x1C09, "English (South Africa)", 1252}, {0x2009, "English (Jamaica)", 1252},
    {0x2409, "English (Caribbean)", 1252}, {0x2809, "English (Belize)", 1252},
    {0x2C09, "English (Trinidad and Tobago)", 1252}, {0x3009, "English (Zimbabwe)", 1252},
    {0x3409, "English (Philippines)", 1252},
    {0x040A, "Spanish (Spain, traditional sort)", 1252}, {0x080A, "Spanish (Mexico)", 1252},
    {0x0C0A, "Spanish (Spain, modern sort)", 1252}, {0x100A, "Spanish (Guatemala)", 1252},
    {0x140A, "Spanish (Costa Rica)", 1252}, {0x180A, "Spanish (Panama)", 1252},
    {0x1C0A, "Spanish (Dominican Republic)", 1252}, {0x200A, "Spanish (Venezuela)", 1252},
    {0x240A, "Spanish (Colombia)", 1252}, {0x280A, "Spanish (Peru)", 1252}, {0x2C0A, "Spanish (Argentina)", 1252},
    {0x300A, "Spanish (Ecuador)", 1252}, {0x340A, "Spanish (Chile)", 1252}, {0x380A, "Spanish (Uruguay)", 1252},
    {0x3C0A, "Spanish (Paraguay)", 1252}, {0x400A, "Spanish (Bolivia)", 1252}, {0x440A, "Spanish (El Salvador)", 1252},
    {0x480A, "Spanish (Honduras)", 1252}, {0x4C0A, "Spanish (Nicaragua)", 1252},
    {0x500A, "Spanish (Puerto Rico)", 1252},
    {0x040B, "Finnish", 1252},
    {0x040C, "French (France)", 1252}, {0x080C, "French (Belgium)", 1252}, {0x0C0C, "French (Canada)", 1252},
    {0x100C, "French (Switzerland)", 1252}, {0x140C, "French (Luxembourg)", 1252}, {0x180C, "French (Monaco)", 1252},
    {0x040D, "Hebrew", 1255},
    {0x040E, "Hungarian", 1250},
    {0x040F, "Icelandic", 1252},
    {0x0410, "Italian (Italy)", 1252}, {0x0810, "Italian (Switzerland)", 1252},
    {0x0411, "Japanese", 932},
    {0x0412, "Korean", 949},
    {0x0413, "Dutch (Netherlands)", 1252}, {0x0813, "Dutch (Belgium)", 1252},
    {0x0414, "Norwegian (Bokmal)", 1252}, {0x0814, "Norwegian (Nynorsk)", 1252},
    {0x0415, "Polish", 1250},
    {0x0416, "Portuguese (Brazil)", 1252}, {0x0816, "Portuguese (Portugal)", 1252},
    {0x0418, "Romanian", 1250},
    {0x0419, "Russian", 1251},
    {0x041A, "Croatian", 1250}, {0x081A, "Serbian (Latin)", 1250}, {0x0C1A, "Serbian (Cyrillic)", 1251},
    {0x101A, "Croatian (Bosnia and Herzegovina)", 1250}, {0x141A, "Bosnian (Latin)", 1250},
    {0x181A, "Serbian (Latin, Bosnia and Herzegovina)", 1250}, {0x1C1A, "Serbian (Cyrillic, Bosnia and Herzegovina)", 1251},
    {0x041B, "Slovak", 1250},
    {0x041C, "Albanian", 1250},
    {0x041D, "Swedish (Sweden)", 1252}, {0x081D, "Swedish (Finland)", 1252},
    {0x041E, "Thai", 874},
    {0x041F, "Turkish", 1254},
    {0x0420, "Urdu", 1256},
    {0x0421, "Indonesian", 1252},
    {0x0422, "Ukrainian", 1251},
    {0x0423, "Belarusian", 1251},
    {0x0424, "Slovenian", 1250},
    {0x0425, "Estonian", 1257},
    {0x0426, "Latvian", 1257},
    {0x0427, "Lithuanian", 1257},
    {0x0429, "Farsi", 1256},
    {0x042A, "Vietnamese", 1258},
    {0x042B, "Armenian", 0},
    {0x042C, "Azeri (Latin)", 1254}, {0x082C, "Azeri (Cyrillic)", 1251},
    {0x042D, "Basque", 1252},
    {0x042F, "Macedonian (FYROM)", 1251},
    {0x0432, "Setswana", 1252},
    {0x0434, "isiXhosa", 1252},
    {0x0435, "isiZulu", 1252},
    {0x0436, "Afrikaans", 1252},
    {0x0437, "Georgian", 0},
    {0x0438, "Faroese", 1252},
    {0x0439, "Hindi", 0},
    {0x043A, "Maltese", 0},
    {0x043B, "Sami (Northern, Norway)", 1252}, {0x083B, "Sami (Northern, Sweden)", 1252},
    {0x0C3B, "Sami (Northern, Finland)", 1252},
    {0x043E, "Malay (Malaysia)", 1252}, {0x083E, "Malay (Brunei Darussalam)", 1252},
    {0x043F, "Kazakh", 1251},
    {0x0440, "Kyrgyz", 1251},
    {0x0441, "Swahili", 1252},
    {0x0443, "Uzbek (Latin)", 1254}, {0x0843, "Uzbek (Cyrillic)", 1251},
    {0x0444, "Tatar", 1251},
    {0x0445, "Bengali (India)", 0},
    {0x0446, "Punjabi", 0},
    {0x0447, "Gujarati", 0},
    {0x0449, "Tamil", 0},
    {0x044A, "Telugu", 0},
    {0x044B, "Kannada", 0},
    {0x044C, "Malayalam", 0},
    {0x044E, "Marathi", 0},
    {0x044F, "Sanskrit", 0},
    {0x0450, "Mongolian (Cyrillic)", 1251},
    {0x0452, "Welsh", 1252},
    {0x0456, "Galician", 1252},
    {0x0457, "Konkani", 0},
    {0x045A, "Syriac", 0},
    {0x0465, "Divehi", 0},
    {0x046B, "Quechua (Bolivia)", 1252}, {0x086B, "Quechua (Ecuador)", 1252}, {0x0C6B, "Quechua (Peru)", 1252},
    {0x046C, "Sesotho sa Leboa", 1252},
    {0x046E, "Luxembourgish", 1252},
    {0x047A, "Mapudungun", 1252},
    {0x047C, "Mohawk", 1252},
    {0x0481, "Maori", 0},
};

} // namespace

const Language *FindLanguage(unsigned id) {
    for (const Language &l : kLanguages)
        if (l.id == id)
            return &l;
    return nullptr;
}

std::string LanguageId(unsigned id) {
    const char hex[] = "0123456789ABCDEF";
    std::string s;
    for (int shift = 12; shift >= 0; shift -= 4)
        s += hex[(id >> shift) & 0xF];
    return s;
}

bool ParseLanguageId(const std::string &text, unsigned *id) {
    if (text.size() != 4 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    *id = static_cast<unsigned>(std::stoul(text, nullptr, 16));
    return true;
}

} // namespace disccheck
