#include "SettingsFixture.h"

#include "settings/Xmlvyn.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {
// The list as one line: "SP(Capital){Campinas/19:a,b Santos/13:} ..."; numbers in file order.
std::string dump(const TXMLvyn& list) {
    std::string out;
    for (auto& s : list.States()) {
        out += s.sigla + "(" + s.capital + "){";
        for (auto& c : s.cidades) {
            out += c.nome + "/" + std::to_string(c.ddd) + ":";
            for (std::size_t i = 0; i < c.telefones.size(); ++i) out += (i ? "," : "") + c.telefones[i];
            out += " ";
        }
        out += "} ";
    }
    return out;
}

const std::string kDocument =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
    "<ESTADOS>\r\n"
    " <ESTADO sigla=\"SP\" capital=\"S\xE3o Paulo\">\r\n"
    "  <CIDADE nome=\"Santos\" ddd=\"13\"><TEL>32191000</TEL></CIDADE>\r\n"
    "  <CIDADE nome=\"Campinas\" ddd=\"19\"><TEL>37751000</TEL><TEL>37752000</TEL></CIDADE>\r\n"
    " </ESTADO>\r\n"
    " <ESTADO sigla=\"AC\" capital=\"Rio Branco\">\r\n"
    "  <CIDADE nome=\"Rio Branco\" ddd=\"68\"><TEL>32231000</TEL></CIDADE>\r\n"
    " </ESTADO>\r\n"
    "</ESTADOS>\r\n";
const std::string kSorted =
    "AC(Rio Branco){Rio Branco/68:32231000 } SP(S\xE3o Paulo){Campinas/19:37751000,37752000 Santos/13:32191000 } ";

struct PhoneList : LoggedMachine {
    TXMLvyn list{services()};
    bool load(const std::string& content, const std::string& name = "tels") {
        machine.writeProgramFile(name, content);
        return list.Load(Utf8ToAnsi(name));
    }
};

const AnsiString kOpen = "Ocorreu um erro ao abrir a lista de telefones de acesso."_a;
const AnsiString kRead = "Ocorreu um erro ao ler o arquivo de telefones de acesso."_a;
const AnsiString kParse = "Ocorreu um erro ao interpretar o arquivo de telefones de acesso."_a;
}  // namespace

TEST(PhoneList, PlainAndGzipGiveTheSameSortedList) {
    for (const std::string& content : {kDocument, Gzip(kDocument)}) {
        PhoneList p;
        ASSERT_TRUE(p.load(content));
        EXPECT_EQ(dump(p.list), kSorted);
        EXPECT_TRUE(p.lines().empty());
    }
}

TEST(PhoneList, FilesThatDoNotLoadSayWhy) {
    std::string damaged = Gzip(kDocument);
    damaged[damaged.size() - 6] ^= 0x55;  // the CRC of the trailer
    std::string cut = kDocument.substr(0, kDocument.find("<CIDADE nome=\"Rio Branco\"") + 10);
    struct {
        const char* what;
        std::string content;
        AnsiString message;
        std::string left;  // the list that stays behind ("?": wherever the cut fell)
    } cases[] = {
        {"empty", "", kParse, ""},
        {"blank", " \r\n", kParse, ""},
        {"damaged gzip", damaged, kRead, ""},
        {"cut off", cut, kParse,
         "SP(S\xE3o Paulo){Campinas/19:37751000,37752000 Santos/13:32191000 } AC(Rio Branco){} "},
        {"cut-off gzip", Gzip(cut), kParse,
         "SP(S\xE3o Paulo){Campinas/19:37751000,37752000 Santos/13:32191000 } AC(Rio Branco){} "},
        {"gzip cut in the middle", Gzip(kDocument).substr(0, Gzip(kDocument).size() / 2), kParse, "?"},
        {"junk after the root", kDocument + "<ESTADOS/>", kParse,
         "SP(S\xE3o Paulo){Campinas/19:37751000,37752000 Santos/13:32191000 } AC(Rio Branco){Rio Branco/68:32231000 "
         "} "},
    };
    for (auto& c : cases) {
        PhoneList p;
        EXPECT_FALSE(p.load(c.content)) << c.what;
        EXPECT_EQ(p.lines(), std::vector<AnsiString>{c.message}) << c.what;
        if (c.left != "?") {
            EXPECT_EQ(dump(p.list), c.left) << c.what;
        }
    }
}

TEST(PhoneList, AListBeyondItsBoundsIsOneLineAndUnreadable) {
    const AnsiString tooLarge = kParse + " Tamanho descompactado acima de 16 MB."_a;
    const AnsiString tooLong = kParse + " Campo acima de 4 KB ou marcação acima de 64 KB."_a;
    const std::size_t mb = 1 << 20, small = OneCityList("", "").size();
    // A number reaches the reader in pieces: an entity splits it.
    auto number = [](std::size_t n) { return std::string(n / 2, '1') + "&#50;" + std::string(n - n / 2 - 1, '3'); };
    struct {
        const char* what;
        std::string content;
        AnsiString line;  // "": it loads
    } cases[] = {
        {"16 MB, exactly", OneCityList("", "", 16 * mb - small), ""},
        {"a byte more", OneCityList("", "", 16 * mb - small + 1), tooLarge},
        {"17 MB packed small", GzipBytes(OneCityList("", "", 17 * mb), 1), tooLarge},
        {"a name of 4 KB", OneCityList(std::string(4096, 'n'), "1"), ""},
        {"a name a byte longer", OneCityList(std::string(4097, 'n'), "1"), tooLong},
        {"a number of 4 KB", OneCityList("Santos", number(4096)), ""},
        {"a number a byte longer", OneCityList("Santos", number(4097)), tooLong},
        {"a long capital, though 50 are kept",
         "<ESTADOS><ESTADO capital=\"" + std::string(5000, 'c') + "\"/></ESTADOS>", tooLong},
        {"an ignored attribute of 60 KB", "<ESTADOS><ESTADO outro=\"" + std::string(60000, 'o') + "\"/></ESTADOS>",
         ""},
        {"a comment of a megabyte", "<ESTADOS><!--" + std::string(mb, 'c') + "--></ESTADOS>", tooLong},
        // Refused for its length long before the 16 MB: the parse never rescans it for long.
        {"a 64 MB name in 65 KB of gzip", GzipBytes(OneCityList(std::string(64 * mb, 'n'), "1")), tooLong},
        {"a 64 MB number", GzipBytes(OneCityList("Santos", std::string(64 * mb, '9')), 1), tooLong},
        {"32 deep", OneCityList("", Repeat("<X>", 28) + Repeat("</X>", 28)), ""},
        {"33 deep", OneCityList("", Repeat("<X>", 29) + Repeat("</X>", 29)),
         kParse + " Marcações aninhadas em mais de 32 níveis."_a},
        {"600,000 states, cities and numbers", OneCityList("", Repeat("</TEL><TEL>", 599997)), ""},
        {"one more", OneCityList("", Repeat("</TEL><TEL>", 599998)),
         kParse + " Mais de 600.000 estados, cidades e números."_a},
    };
    for (auto& c : cases) {
        PhoneList p;
        EXPECT_EQ(p.load(c.content), c.line.empty()) << c.what;
        EXPECT_EQ(p.lines(), c.line.empty() ? std::vector<AnsiString>{} : std::vector<AnsiString>{c.line}) << c.what;
    }
}

TEST(PhoneList, TheStatesReadBeforeACutStaySelectable) {
    PhoneList p;
    EXPECT_FALSE(p.load(kDocument.substr(0, kDocument.find("</ESTADOS>"))));
    p.list.SelectCity("SP", "Campinas");
    EXPECT_EQ(p.list.GetPhone(), "37751000");
    EXPECT_EQ(p.list.GetDDD(), 19);
}

TEST(PhoneList, WhatCannotBeOpenedIsReportedAsSuch) {
    {
        PhoneList missing;
        EXPECT_FALSE(missing.list.Load("tels"));
        EXPECT_EQ(missing.lines(), std::vector<AnsiString>{kOpen});
        EXPECT_TRUE(missing.list.States().empty());
        EXPECT_EQ(missing.list.GetPhone(), "***");
    }
    PhoneList folder;
    std::filesystem::create_directory(folder.machine.path("tels"));
    EXPECT_FALSE(folder.list.Load("tels"));
    EXPECT_EQ(folder.lines(), std::vector<AnsiString>{kOpen});
}

TEST(PhoneList, ADocumentWithoutEstadosLeavesTheListAsItWas) {
    {
        PhoneList p;
        ASSERT_TRUE(p.load(kDocument));
        EXPECT_TRUE(p.load("<?xml version=\"1.0\"?><LISTA><ESTADO sigla=\"RJ\"/></LISTA>", "outra"));
        EXPECT_EQ(dump(p.list),
                  kSorted.substr(0, kSorted.find(" SP(")) + " " + "RJ(){} " + kSorted.substr(kSorted.find("SP(")))
            << "an ESTADO outside ESTADOS is still a state";
    }
    PhoneList fresh;
    EXPECT_TRUE(fresh.load("<NADA/>"));
    EXPECT_TRUE(fresh.list.States().empty());
    EXPECT_TRUE(fresh.lines().empty());
}

TEST(PhoneList, TextIsLatin1WhateverTheDeclarationSaysButABomMeansUtf8) {
    PhoneList declared;
    ASSERT_TRUE(
        declared.load("<?xml version=\"1.0\" encoding=\"UTF-8\"?><ESTADOS><ESTADO sigla=\"PR\">"
                      "<CIDADE nome=\"Maring\xE1\" ddd=\"44\"><TEL>3\xE9</TEL></CIDADE></ESTADO></ESTADOS>"));
    EXPECT_EQ(declared.list.States()[0].cidades[0].nome, "Maring\xE1");
    EXPECT_EQ(declared.list.States()[0].cidades[0].telefones[0], "3\xC3\xA9") << "numbers stay in UTF-8";
    PhoneList bom;
    ASSERT_TRUE(
        bom.load("\xEF\xBB\xBF<ESTADOS><ESTADO sigla=\"\xC3\x89X\" capital=\"S\xC3\xA3o Lu\xC3\xADs\">"
                 "<CIDADE nome=\"S\xC3\xA3o Lu\xC3\xADs\" ddd=\"98\"/>"
                 "<CIDADE nome=\"\xC2\xAA \xE2\x82\xAC \xE6\x97\xA5 \xC2\x81\"/></ESTADO></ESTADOS>"));
    EXPECT_EQ(bom.list.States()[0].cidades[0].nome, "S\xE3o Lu\xEDs");
    EXPECT_EQ(bom.list.States()[0].cidades[1].nome, "\xAA \x80 ? \x81") << "to 1252, '?' where it has no byte";
    EXPECT_EQ(bom.list.States()[0].capital, "S\xE3o Lu\xEDs");
    EXPECT_EQ(bom.list.States()[0].sigla, "\xC3\x89") << "the code keeps its first two bytes of UTF-8";
}

TEST(PhoneList, NamesKeepTheirBytesFrom0x80To0x9F) {
    // The Latin-1 parse gives U+0080..U+009F for them; each is the same byte in 1252 text.
    struct Row {
        const char* name;
    } rows[] = {{"D\x92Oeste"},
                {"\x80\x81\x8D\x8F\x90\x9D\x9F"},
                {"Cama\x8D"
                 "ari \x93x\x94"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PhoneList p;
        ASSERT_TRUE(p.load(std::string("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><ESTADOS>"
                                       "<ESTADO sigla=\"SC\" capital=\"") +
                           row.name + "\"><CIDADE nome=\"" + row.name +
                           "\" ddd=\"49\"><TEL>33211000</TEL></CIDADE></ESTADO></ESTADOS>"));
        EXPECT_EQ(p.list.States()[0].cidades[0].nome, row.name);
        EXPECT_EQ(p.list.States()[0].capital, row.name);
        // A city stored with its real bytes is found.
        p.list.SelectCity("SC", row.name);
        EXPECT_EQ(p.list.GetPhone(), "33211000");
    }
}

TEST(PhoneList, AttributesAreReadByTheirRules) {
    std::string capital51(51, 'c'), accented50;
    for (int i = 0; i < 51; ++i) accented50 += "\xE9";
    PhoneList p;
    ASSERT_TRUE(
        p.load("<ESTADOS>"
               "<ESTADO sigla=\"ABC\" capital=\"" +
               capital51 +
               "\">"
               "<CIDADE nome=\"sem ddd\"/><CIDADE nome=\"zero\" ddd=\"011\"/><CIDADE nome=\"letras\" ddd=\"abc\"/>"
               "<CIDADE nome=\"sinal\" ddd=\" +21x\"/><CIDADE nome=\"negativo\" ddd=\"-5\"/>"
               "<CIDADE nome=\"enorme\" ddd=\"99999999999\"/><CIDADE ddd=\"1\" outro=\"x\"/></ESTADO>"
               "<ESTADO sigla=\"B\" capital=\"" +
               accented50 +
               "\"/>"
               "<ESTADO/>"
               "</ESTADOS>"));
    auto& s = p.list.States();
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0].sigla, "");
    EXPECT_EQ(s[0].capital, "");
    EXPECT_EQ(s[1].sigla, "AB");
    EXPECT_EQ(s[1].capital, std::string(50, 'c'));
    EXPECT_EQ(s[2].sigla, "B");
    EXPECT_EQ(s[2].capital, accented50.substr(0, 50)) << "cut at 50 characters of the 1252 text";
    EXPECT_EQ(dump(p.list).substr(dump(p.list).find("AB(")),
              "AB(" + std::string(50, 'c') +
                  "){/1: enorme/2147483647: letras/0: negativo/-5: sem ddd/-1: "
                  "sinal/21: zero/11: } B(" +
                  accented50.substr(0, 50) + "){} ");
}

TEST(PhoneList, NumbersAreCollectedAsWritten) {
    PhoneList p;
    ASSERT_TRUE(
        p.load("<ESTADOS><ESTADO sigla=\"RS\">"
               "<CIDADE nome=\"Pelotas\" ddd=\"53\"><TEL>\r\n  3222\r\n  1000 </TEL><TEL/>"
               "<TEL>30<X>03</X>1&amp;2</TEL></CIDADE>"
               "<TEL>32271000</TEL>"  // straight inside the state: its last city
               "</ESTADO>"
               "<ESTADO sigla=\"RR\"><TEL>perdido</TEL></ESTADO>"
               "</ESTADOS>"));
    EXPECT_EQ(dump(p.list), "RR(){} RS(){Pelotas/53:\n  3222\n  1000 ,,30031&2,32271000 } ");
}

TEST(PhoneList, OrphansAreDropped) {
    PhoneList p;
    ASSERT_TRUE(
        p.load("<RAIZ><TEL>solto</TEL><CIDADE nome=\"Antes\" ddd=\"1\"><TEL>111</TEL></CIDADE>"
               "<ESTADOS><TEL>222</TEL><ESTADO sigla=\"MG\"><CIDADE nome=\"Uberaba\" ddd=\"34\">"
               "<TEL>33331000</TEL></CIDADE></ESTADO></ESTADOS></RAIZ>"));
    EXPECT_EQ(dump(p.list), "MG(){Uberaba/34:33331000 } ");
}

TEST(PhoneList, SortingIsByPlainBytes) {
    PhoneList p;
    ASSERT_TRUE(
        p.load("<ESTADOS><ESTADO sigla=\"sc\"/><ESTADO sigla=\"SP\"><CIDADE nome=\"b\"/>"
               "<CIDADE nome=\"\xC9vora\"/><CIDADE nome=\"A\"/><CIDADE nome=\"a\"/><CIDADE nome=\"Ab\"/>"
               "<CIDADE nome=\"zz\"/><CIDADE nome=\"S\xE3o Jos\xE9 dos Campos\"/>"
               "<CIDADE nome=\"S\xE3o Jos\xE9 do Rio Preto\"/><CIDADE nome=\"S\xE3o Jos\xE9\"/>"
               "</ESTADO><ESTADO sigla=\"S\"/></ESTADOS>"));
    EXPECT_EQ(dump(p.list),
              "S(){} SP(){A/-1: Ab/-1: S\xE3o Jos\xE9/-1: S\xE3o Jos\xE9 do Rio Preto/-1: "
              "S\xE3o Jos\xE9 dos Campos/-1: a/-1: b/-1: zz/-1: \xC9vora/-1: } sc(){} ");
}

TEST(PhoneList, SelectionIsExactAndAFailureKeepsTheAreaCode) {
    PhoneList p;
    ASSERT_TRUE(
        p.load("<ESTADOS><ESTADO sigla=\"SP\"><CIDADE nome=\"Campinas\" ddd=\"19\"><TEL>1</TEL><TEL>2</TEL>"
               "</CIDADE><CIDADE nome=\"Vazia\" ddd=\"14\"/></ESTADO>"
               "<ESTADO sigla=\"SP\"><CIDADE nome=\"Santos\" ddd=\"13\"><TEL>3</TEL></CIDADE></ESTADO>"
               "</ESTADOS>"));
    EXPECT_EQ(p.list.GetPhone(), "***");
    EXPECT_EQ(p.list.GetDDD(), 0);
    struct {
        const char* state;
        const char* city;
        const char* phone;
        int ddd;
    } steps[] = {
        {"SP", "Campinas", "1", 19},    {"sp", "Campinas", "***", 19},
        {"SP", "Campinas ", "***", 19}, {"SP", "campinas", "***", 19},
        {"SP", "Vazia", "***", 14},     {"SP", "Santos", "***", 14},  // only the first state with a code is searched
        {"S", "Campinas", "***", 14},
    };
    for (auto& s : steps) {
        p.list.SelectCity(s.state, s.city);
        EXPECT_EQ(p.list.GetPhone(), s.phone) << s.state << "/" << s.city;
        EXPECT_EQ(p.list.GetDDD(), s.ddd) << s.state << "/" << s.city;
    }
}

TEST(PhoneList, TheShippedListIsWhole) {
    PhoneList p;
    std::filesystem::copy_file(std::string(VYN_DIST_DIR) + "/tels", p.machine.path("tels"));
    ASSERT_TRUE(p.list.Load("tels"));
    auto& states = p.list.States();
    ASSERT_EQ(states.size(), 27u);
    for (std::size_t i = 0; i < states.size(); ++i) {
        EXPECT_EQ(states[i].sigla.size(), 2u);
        if (i) {
            EXPECT_LT(states[i - 1].sigla, states[i].sigla);
        }
        ASSERT_FALSE(states[i].cidades.empty()) << states[i].sigla;
        for (auto& c : states[i].cidades) {
            EXPECT_GE(c.ddd, 11) << c.nome;
            EXPECT_LE(c.ddd, 99) << c.nome;
            EXPECT_FALSE(c.telefones.empty()) << c.nome;
        }
    }
    p.list.SelectCity("SP", "São Paulo"_a);
    EXPECT_EQ(p.list.GetDDD(), 11);
    EXPECT_NE(p.list.GetPhone(), "***");
    p.list.SelectCity("PR", "Foz do Iguaçu"_a);
    EXPECT_EQ(p.list.GetDDD(), 45);
}

TEST(PhoneList, AReloadNeverLeavesTheSelectionPointingOutsideTheList) {
    PhoneList p;
    ASSERT_TRUE(p.load(kDocument));
    p.list.SelectCity("SP", "Santos");
    EXPECT_EQ(p.list.GetPhone(), "32191000");
    ASSERT_TRUE(p.load("<ESTADOS><ESTADO sigla=\"AC\"/></ESTADOS>", "outra"));
    EXPECT_EQ(p.list.GetPhone(), "***");
    EXPECT_EQ(p.list.GetDDD(), 13);
}
