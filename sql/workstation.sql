-- Database of one work area (interfacXX\brundelo.bd): the list period of the
-- workstation. Text columns declare no character set.

CREATE TABLE PERIODO (
    DATAINICIAL DATE,
    DATAFINAL   DATE,
    HORAINICIAL TIME,
    HORAFINAL   TIME,
    CHAVE       VARCHAR(1),
    ESTACAO     VARCHAR(2),
    NPEDIDO     INTEGER,
    NFORMULA    INTEGER,
    VALORTOTAL  DECIMAL(15,8),
    VALORTOTAL2 DECIMAL(15,8)
);
