#pragma once
// The phone list the conventional-line edition's tests dial into (ISO-8859-1): São Paulo
// with three numbers, Campinas with one, a city without an area code, one without numbers,
// and Rio de Janeiro's Niterói.
#include <string>

inline const std::string kDestinations =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
    "<ESTADOS>"
    "<ESTADO sigla=\"SP\" capital=\"S\xe3o Paulo\">"
    "<CIDADE nome=\"S\xe3o Paulo\" ddd=\"11\"><TEL>30001111</TEL><TEL>30002222</TEL><TEL>30003333</TEL></CIDADE>"
    "<CIDADE nome=\"Campinas\" ddd=\"19\"><TEL>32345678</TEL></CIDADE>"
    "<CIDADE nome=\"Vila Sem DDD\"><TEL>55550000</TEL></CIDADE>"
    "<CIDADE nome=\"Vila Vazia\" ddd=\"13\"></CIDADE>"
    "</ESTADO>"
    "<ESTADO sigla=\"RJ\" capital=\"Rio de Janeiro\"><CIDADE nome=\"Niter\xf3i\" "
    "ddd=\"21\"><TEL>27001234</TEL></CIDADE>"
    "</ESTADO>"
    "</ESTADOS>\n";
